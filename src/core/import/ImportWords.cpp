#include "core/import/ImportWords.h"

#include "core/import/MappingCodes.h"
#include "core/import/SupplierFileImport.h"

#include <QHash>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace tovin::ImportWords {

namespace {

std::optional<int> wholeNumber(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0)
        return std::nullopt;
    return value;
}

QString notWholeNumber(const QString& what, const QString& text) {
    return what + u" must be a whole number of 0 or more, not \""_s + text + u"\""_s;
}

} // namespace

MapReading readMap(const QString& text) {
    MapReading reading;
    for (const QString& pair : text.split(u',', Qt::SkipEmptyParts)) {
        const QStringList parts = pair.split(u'=');
        if (parts.size() != 2)
            return {{}, u"--map takes POS=CODE pairs, not \""_s + pair + u"\""_s};
        const QString positionText = parts.at(0).trimmed();
        const QString codeText = parts.at(1).trimmed();
        const std::optional<int> position = wholeNumber(positionText);
        if (!position)
            return {{}, notWholeNumber(u"A field position"_s, positionText)};
        const std::optional<int> code = wholeNumber(codeText);
        if (!code)
            return {{}, notWholeNumber(u"A mapping code"_s, codeText)};
        if (*position >= FieldMap::Positions)
            return {{},
                    u"field position "_s + QString::number(*position) +
                        u" is past the last position (100)"_s};
        if (*code >= MappingCodes::Count)
            return {{},
                    u"mapping code "_s + QString::number(*code) +
                        u" is not one of the codes 0 to 30"_s};
        if (MappingCodes::isRefused(*code))
            return {{},
                    u"mapping code "_s + QString::number(*code) + u" ("_s +
                        MappingCodes::columnName(*code) +
                        u") is kept by the program and cannot be imported"_s};
        reading.map.setCode(*position, *code);
    }
    return reading;
}

SupplierFilesReading readSupplierFiles(const QString& text) {
    static const QHash<QString, int> priceLists{{u"white"_s, 0},
                                                {u"yellow"_s, 1},
                                                {u"openparty"_s, 2},
                                                {u"canadian"_s, 3},
                                                {u"retail"_s, 4}};
    SupplierFilesReading reading;
    QList<int> lists;
    for (const QString& word : text.toLower().split(u',', Qt::SkipEmptyParts)) {
        const QString kind = word.trimmed();
        if (kind == u"fulldesc"_s)
            reading.files.append(FixedMappings::fullDescriptionFile());
        else if (kind == u"stock"_s)
            reading.files.append(FixedMappings::stockFile());
        else if (priceLists.contains(kind))
            lists.append(priceLists.value(kind));
        else
            return {{},
                    u"unknown supplier file \""_s + kind +
                        u"\" (fulldesc, stock, white, yellow, openparty, canadian or retail)"_s};
    }
    if (!reading.files.isEmpty() && (reading.files.size() > 1 || !lists.isEmpty()))
        return {{}, u"fulldesc and stock are read on their own, not with other files"_s};
    for (int index : SupplierFileImport::priceListsInOrder(lists))
        reading.files.append(FixedMappings::priceList(index));
    if (reading.files.isEmpty())
        return {{}, u"--supplier-file needs the name of a supplier file"_s};
    return reading;
}

} // namespace tovin::ImportWords
