#include "core/products/RefusedSearch.h"

#include "core/base/RunTimeError.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// The reason in the condition reader's words, without the parts meant for a programmer (the
// "Invalid condition:" lead and the character position).
QString reason(const RunTimeError& error) {
    QString text = error.description().trimmed();
    static const QRegularExpression unknownColumn(u"column the table does not have:\\s*(.+)$"_s);
    if (const QRegularExpressionMatch match = unknownColumn.match(text); match.hasMatch())
        return u"the products have no column named "_s + match.captured(1).trimmed();
    static const QRegularExpression lead(u"^Invalid condition:\\s*"_s);
    static const QRegularExpression position(u"\\s*\\(at character \\d+\\)$"_s);
    text.remove(lead).remove(position);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

} // namespace

QString refusedSearchMessage(const RunTimeError& error) {
    const QString why = reason(error);
    return u"The search could not be used"_s + (why.isEmpty() ? QString() : u": "_s + why) +
           u".\nThe products shown before the search are still shown."_s;
}

} // namespace tovin
