#include "core/import/RememberedMapping.h"

#include "core/import/Divider.h"
#include "core/import/FieldSplitter.h"
#include "core/import/ImportItem.h"
#include "core/import/ImportMessages.h"
#include "core/import/ImportWords.h"
#include "core/import/LineSource.h"
#include "core/import/TextFileLines.h"
#include "core/settings/SettingsStore.h"

#include <QStringList>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString MappingsSection = u"Mappings"_s;

// File names are compared in any letter case, as the file system of the supplier's files did.
QString keyOf(const QString& fileName) {
    QString key = fileName.toLower();
    // The settings file reserves "/" and "\" in keys.
    key.replace(u'/', u'_');
    key.replace(u'\\', u'_');
    return key;
}

std::optional<RememberedMapping> parse(const QString& fileName, const QString& text) {
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
        else if (name == u"own"_s)
            found.ownFields = value.toInt();
        else if (name == u"file"_s)
            found.fileName = QUrl::fromPercentEncoding(value.toUtf8());
        else if (name == u"heading"_s)
            found.heading = QUrl::fromPercentEncoding(value.toUtf8());
        else if (name == u"map"_s)
            for (const QString& pair : value.split(u',', Qt::SkipEmptyParts)) {
                const QStringList sides = pair.split(u'=');
                if (sides.size() == 2)
                    found.map.setCode(sides.at(0).toInt(), sides.at(1).toInt());
            }
    }
    return found;
}

// Whether the kept mapping reads `file` as it read the file it was made for.
enum class Fit { None, Fields, Heading };

Fit fitOf(const RememberedMapping& kept, const TextFileLines& file) {
    const std::optional<Divider> divider = ImportWords::readDivider(kept.divider).divider;
    if (!divider || kept.startLine >= file.lineCount() || kept.map.stockFieldIndex() < 0)
        return Fit::None;
    if (!kept.heading.isEmpty())
        return RememberedMapping::headingOf(file, kept.startLine) == kept.heading ? Fit::Heading
                                                                                  : Fit::None;
    if (!divider->fits(file.line(kept.startLine)))
        return Fit::None;
    LineSource source = file.from(kept.startLine);
    ImportItem first;
    FieldSplitter(*divider).readItem(source, first);
    const int expected = kept.ownFields > 0 ? kept.ownFields : kept.fieldCount;
    return first.fieldCount() == expected ? Fit::Fields : Fit::None;
}

} // namespace

QString RememberedMapping::question() {
    return u"Use the mapping from last time?"_s;
}

QString RememberedMapping::questionFor() const {
    return question() + ImportMessages::lineBreak() + u"It was made for "_s + fileName;
}

QString RememberedMapping::headingOf(const TextFileLines& file, qsizetype startLine) {
    if (startLine < 1 || startLine > file.lineCount())
        return QString();
    return file.line(startLine - 1);
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
    // The divider comes last: it may hold any character, the semicolon included. The file's
    // own name and its heading may too, so they are kept percent-encoded.
    settings.setValue(MappingsSection, key,
                      u"start="_s + QString::number(startLine) + u";fields="_s +
                          QString::number(fieldCount) + u";own="_s + QString::number(ownFields) +
                          u";file="_s + QString::fromLatin1(QUrl::toPercentEncoding(fileName)) +
                          u";heading="_s + QString::fromLatin1(QUrl::toPercentEncoding(heading)) +
                          u";map="_s + mapText() + u";divider="_s + divider);
    settings.sync();
}

std::optional<RememberedMapping> RememberedMapping::find(const QString& fileName) {
    return parse(fileName,
                 SettingsStore::program().value(MappingsSection, keyOf(fileName), QString()));
}

std::optional<RememberedMapping> RememberedMapping::findFor(const QString& bareFileName,
                                                            const TextFileLines& file) {
    SettingsStore& settings = SettingsStore::program();
    std::optional<RememberedMapping> best;
    Fit bestFit = Fit::None;
    bool bestSameName = false;
    for (const QString& key : settings.keys(MappingsSection)) {
        std::optional<RememberedMapping> kept =
            parse(key, settings.value(MappingsSection, key, QString()));
        // An Access table's mapping has no divider and is no text file's.
        if (!kept || kept->divider.isEmpty())
            continue;
        const Fit fit = fitOf(*kept, file);
        if (fit == Fit::None)
            continue;
        const bool sameName = key == keyOf(bareFileName);
        if (fit > bestFit || (fit == bestFit && sameName && !bestSameName)) {
            best = std::move(kept);
            bestFit = fit;
            bestSameName = sameName;
        }
    }
    return best;
}

} // namespace tovin
