#include "core/import/ImportWords.h"

#include "core/base/RunTimeError.h"
#include "core/import/ImportMessages.h"
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
        std::optional<int> code = wholeNumber(codeText);
        bool isNumber = false;
        codeText.toInt(&isNumber);
        if (!code && (isNumber || codeText.isEmpty()))
            return {{}, notWholeNumber(u"A mapping code"_s, codeText)};
        if (!code) {
            const int named = MappingCodes::codeOfColumn(codeText);
            if (named < 0)
                return {{},
                        u"\""_s + codeText +
                            u"\" is neither a mapping code nor a column; the nearest column is "_s +
                            MappingCodes::nearestColumn(codeText)};
            code = named;
        }
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

DividerReading readDivider(const QString& text) {
    const QString word = text.toLower();
    if (word == u"comma"_s)
        return {Divider::comma(), {}};
    if (word == u"tab"_s)
        return {Divider::tab(), {}};
    if (word == u"spaces"_s)
        return {Divider::twoSpaces(), {}};
    if (word == u"bracket"_s)
        return {Divider::bracket(), {}};
    const QString invalid = ImportMessages::invalidChoice() +
                            u" (a divider is one or two characters, or comma, tab, spaces, "_s
                            u"bracket or lines:N)"_s;
    if (word.startsWith(u"lines:"_s)) {
        const QString number = text.mid(6);
        const std::optional<int> lines = wholeNumber(number);
        if (!lines)
            return {std::nullopt, notWholeNumber(u"The number of lines per item"_s, number)};
        if (*lines < 1)
            return {std::nullopt, u"an item needs at least one line"_s};
        // The same bounds as the number typed on the import screen.
        std::optional<int> answer;
        try {
            answer = Divider::linesPerItemFromAnswer(QString::number(*lines));
        } catch (const RunTimeError&) {
        }
        if (!answer)
            return {std::nullopt, invalid};
        return {Divider::separateLines(*answer), {}};
    }
    const std::optional<Divider> typed = Divider::fromTypedText(text);
    if (!typed)
        return {std::nullopt, invalid};
    return {typed, {}};
}

QString dividerWord(const Divider& divider) {
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
    case Divider::Kind::Other:
        break;
    }
    return divider.text();
}

QString dividerDescription(const Divider& divider) {
    QString words;
    switch (divider.kind()) {
    case Divider::Kind::Comma:
        words = u"comma"_s;
        break;
    case Divider::Kind::Tab:
        words = u"tab"_s;
        break;
    case Divider::Kind::TwoSpaces:
        words = u"spaces (two or more)"_s;
        break;
    case Divider::Kind::Bracket:
        words = u"bracket (\"]\")"_s;
        break;
    case Divider::Kind::Other:
        words = u"\""_s + divider.text() + u"\""_s;
        break;
    case Divider::Kind::SeparateLines:
        return u"each field on its own line, "_s + QString::number(divider.linesPerItem()) +
               u" lines to an item"_s;
    }
    return words + (divider.quotesFields() ? u", quoted fields read whole"_s : QString());
}

} // namespace tovin::ImportWords
