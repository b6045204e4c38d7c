#pragma once

#include "core/import/Divider.h"
#include "core/import/FieldMap.h"
#include "core/import/FixedMappings.h"

#include <QList>
#include <QString>
#include <optional>

namespace tovin {

// The import's choices written out in words, as a command line gives them. A reading holds
// what was asked for, or the refusal that tells what is wrong with the words.
namespace ImportWords {

struct MapReading {
    FieldMap map;
    QString refusal;
};

// "POS=CODE,POS=CODE,...": the mapping code of each field position, or the name of its column
// ("0=StockNo"). A position past the last one, a code out of range, a name that is no column
// (the nearest one is proposed) or a code the program keeps for itself is refused.
MapReading readMap(const QString& text);

struct SupplierFilesReading {
    QList<FixedMappings::SupplierFile> files;
    QString refusal;
};

// "fulldesc", "stock", or price lists ("white,yellow,..."), in any letter case. The price lists
// come in the order they are read, whatever order they were named in; fulldesc and stock are
// read on their own.
SupplierFilesReading readSupplierFiles(const QString& text);

struct DividerReading {
    std::optional<Divider> divider;
    QString refusal;
};

// "comma", "tab", "spaces" (two or more), "bracket" in any letter case, "lines:N" (each field on
// its own line, N lines to an item), or the divider's own text of one or two characters other
// than a double quote or a line break. The words are also how a remembered mapping keeps its
// divider. The divider is as the program would propose it; chosen through
// TextImportSession::chooseDivider it reads quoted fields whatever it is.
DividerReading readDivider(const QString& text);
// The word readDivider() reads as `divider`.
QString dividerWord(const Divider& divider);
// The divider described for a person, with whether it reads quoted fields whole.
QString dividerDescription(const Divider& divider);

} // namespace ImportWords

} // namespace tovin
