#include "ui/data/RefusedEntryMessage.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin::RefusedEntryMessage {

namespace {

const QString KeptLine =
    u"Everything you typed is still there: correct it and press Update, or press Cancel to "
    u"leave the record as it was."_s;

QString whatToType(ColumnKind kind) {
    switch (kind) {
    case ColumnKind::Date:
        return u"please type a date such as 03/15/2003."_s;
    case ColumnKind::YesNo:
        return u"please type True or False."_s;
    default:
        return u"please type a number."_s;
    }
}

} // namespace

QString forBox(const QString& boxCaption, const QString& typed, ColumnKind kind) {
    return u"The "_s + boxCaption + u" box can't take '"_s + typed + u"': "_s + whatToType(kind) +
           u"\n"_s + KeptLine;
}

QString forRow(const QString& reason) {
    QString text = u"This record couldn't be saved"_s;
    if (!reason.trimmed().isEmpty())
        text += u" ("_s + reason.trimmed() + u')';
    return text + u".\n"_s + KeptLine;
}

} // namespace tovin::RefusedEntryMessage
