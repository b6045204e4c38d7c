#pragma once

#include "core/import/FieldMap.h"

#include <QString>
#include <optional>

namespace tovin {

class Divider;

// The start line, divider and mapping last used for a file of a given name (or an Access
// file's table), kept in the settings store (section "Mappings") so that the same supplier file
// next month needs no mapping by hand. The mapping is offered only for the same number of
// fields.
struct RememberedMapping {
    explicit RememberedMapping(QString fileName = QString()) : fileName(std::move(fileName)) {}

    QString fileName;
    qsizetype startLine = 0;
    QString divider; // in the words of the command line: comma, tab, spaces, bracket, lines:N
    int fieldCount = 0;
    FieldMap map;

    static std::optional<RememberedMapping> find(const QString& fileName);
    void save() const;

    static QString question();
    static QString dividerWord(const Divider& divider);
    // "0=2,1=3,..." for the mapped positions.
    QString mapText() const;
};

} // namespace tovin
