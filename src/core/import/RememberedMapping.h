#pragma once

#include "core/import/FieldMap.h"

#include <QString>
#include <optional>

namespace tovin {

class TextFileLines;

// The start line, divider and mapping of a file that was read with them (or of an Access file's
// table), kept in the settings store (section "Mappings"), so that next month's list from the
// same supplier needs no mapping by hand even when its name carries the new month.
//
// A text file's mapping is known again by the line above its start line (the supplier's heading
// line) or, for a file without one, by its divider cutting the start line into as many fields
// as before.
struct RememberedMapping {
    explicit RememberedMapping(QString fileName = QString()) : fileName(std::move(fileName)) {}

    QString fileName;
    qsizetype startLine = 0;
    QString divider; // in the words of the command line (see ImportWords::readDivider)
    // The line above the start line, as read; empty when the data starts on the first line.
    QString heading;
    int fieldCount = 0; // positions mapped, added slots included
    int ownFields = 0;  // fields of the first item (0: not known, kept before the heading was)
    FieldMap map;

    // The mapping kept for this name (a file's bare name, or "file.mdb:table").
    static std::optional<RememberedMapping> find(const QString& fileName);
    // The mapping for a text file: one that knows the file's heading line, else one whose
    // divider cuts the file's start line into its number of fields; of several, the one made
    // for a file of this name. None when no kept mapping fits the file.
    static std::optional<RememberedMapping> findFor(const QString& bareFileName,
                                                    const TextFileLines& file);
    // The heading line of `file` for data that starts on `startLine`.
    static QString headingOf(const TextFileLines& file, qsizetype startLine);
    void save() const;

    static QString question();
    // The question naming the file the mapping was made for.
    QString questionFor() const;
    // "0=2,1=3,..." for the mapped positions.
    QString mapText() const;
};

} // namespace tovin
