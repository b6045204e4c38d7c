#include "core/import/RememberedMapping.h"

#include "core/import/Divider.h"
#include "core/shell/SettingsStore.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString Section = u"Mappings"_s;

// File names are compared in any letter case, as the file system of the supplier's files did.
QString keyOf(const QString& fileName) {
    QString key = fileName.toLower();
    // The settings file reserves "/" and "\" in keys.
    key.replace(u'/', u'_');
    key.replace(u'\\', u'_');
    return key;
}

} // namespace

QString RememberedMapping::question() {
    return u"Use the mapping from last time?"_s;
}

QString RememberedMapping::dividerWord(const Divider& divider) {
    switch (divider.kind()) {
    case Divider::Kind::Comma:
        return u"comma"_s;
    case Divider::Kind::Tab:
        return u"tab"_s;
    case Divider::Kind::TwoSpaces:
        return u"spaces"_s;
    case Divider::Kind::Bracket:
        return u"bracket"_s;
    case Divider::Kind::SeparateLines:
        return u"lines:"_s + QString::number(divider.linesPerItem());
    default:
        return divider.text();
    }
}

QString RememberedMapping::mapText() const {
    QStringList pairs;
    for (int position = 0; position < FieldMap::Positions; ++position)
        if (map.code(position) != 0)
            pairs << QString::number(position) + u'=' + QString::number(map.code(position));
    return pairs.join(u',');
}

void RememberedMapping::save() const {
    if (fileName.isEmpty())
        return;
    SettingsStore& settings = SettingsStore::program();
    const QString key = keyOf(fileName);
    // The divider comes last: it may hold any character, the semicolon included.
    settings.setValue(Section, key,
                      u"start="_s + QString::number(startLine) + u";fields="_s +
                          QString::number(fieldCount) + u";map="_s + mapText() + u";divider="_s +
                          divider);
    settings.sync();
}

std::optional<RememberedMapping> RememberedMapping::find(const QString& fileName) {
    const QString text = SettingsStore::program().value(Section, keyOf(fileName), QString());
    if (text.isEmpty())
        return std::nullopt;
    RememberedMapping found(fileName);
    const qsizetype dividerAt = text.indexOf(u";divider="_s);
    if (dividerAt < 0)
        return std::nullopt;
    found.divider = text.mid(dividerAt + 9);
    for (const QString& part : text.left(dividerAt).split(u';')) {
        const qsizetype eq = part.indexOf(u'=');
        const QString name = part.left(eq);
        const QString value = part.mid(eq + 1);
        if (name == u"start"_s)
            found.startLine = value.toLongLong();
        else if (name == u"fields"_s)
            found.fieldCount = value.toInt();
        else if (name == u"map"_s)
            for (const QString& pair : value.split(u',', Qt::SkipEmptyParts)) {
                const QStringList sides = pair.split(u'=');
                if (sides.size() == 2)
                    found.map.setCode(sides.at(0).toInt(), sides.at(1).toInt());
            }
    }
    return found;
}

} // namespace tovin
