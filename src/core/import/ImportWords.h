#pragma once

#include "core/import/FieldMap.h"
#include "core/import/FixedMappings.h"

#include <QList>
#include <QString>

namespace tovin {

// The import's choices written out in words, as a command line gives them. A reading holds
// what was asked for, or the refusal that tells what is wrong with the words.
namespace ImportWords {

struct MapReading {
    FieldMap map;
    QString refusal;
};

// "POS=CODE,POS=CODE,...": the mapping code of each field position. A position past the last
// one, a code out of range or a code the program keeps for itself is refused.
MapReading readMap(const QString& text);

struct SupplierFilesReading {
    QList<FixedMappings::SupplierFile> files;
    QString refusal;
};

// "fulldesc", "stock", or price lists ("white,yellow,..."), in any letter case. The price lists
// come in the order they are read, whatever order they were named in; fulldesc and stock are
// read on their own.
SupplierFilesReading readSupplierFiles(const QString& text);

} // namespace ImportWords

} // namespace tovin
