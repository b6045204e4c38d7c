#pragma once

#include "core/import/FieldMap.h"
#include "core/import/ImportItem.h"

#include <QString>
#include <QStringList>

namespace tovin {

// The step in which the user tells, field by field, which Products column each field of an item
// goes to. The fields shown are those of the first item of a file, or the column names of a
// database table; slots may be added after them for items that have more fields.
//
// The caller shows label(i) for each position i from 0 to fieldCount() - 1, offers captions()
// and hands the picked code to map(). Mapping may start again (restart()) until a field is
// mapped to the stock number.
class FieldMapping {
public:
    enum class Outcome {
        Mapped,
        // Mapped to "discontinued": ask mappingDiscontinuedQuestion() and pass the answer to
        // setSkipDiscontinued (No = pass over discontinued items).
        MappedAskDiscontinued,
        // A code that is never imported (Inventory, OnOrder, NoSold): pick again.
        Refused,
        // A position or code out of range: nothing happened.
        Invalid,
    };

    FieldMapping() = default;

    // The fields of the first item; every position is unmapped again.
    void setFields(const ImportItem& firstItem);
    // The column names of a table, one per position (at most 101).
    void setFields(const QStringList& names);

    // Positions to map, added slots included.
    int fieldCount() const { return m_fields.fieldCount(); }
    // The first item's own fields, without added slots.
    int ownFieldCount() const { return m_fields.fieldCount() - m_fields.addedSlots(); }
    // The text of position i (an added slot's label), or "This One Is Empty".
    QString label(int position) const;
    // The status line for position i: its number among all positions, and label(i).
    QString statusLine(int position) const;
    const ImportItem& fields() const { return m_fields; }

    // "Add More Items?": the number of slots the typed answer adds; returns how many were added.
    QString addMorePrompt() const;
    int addSlots(const QString& answer);

    // The 31 captions the user picks from, list index = code.
    static QStringList captions();
    Outcome map(int position, int code);
    static QString mappingDiscontinuedQuestion();
    void setSkipDiscontinued(bool skip) { m_skipDiscontinued = skip; }
    bool skipDiscontinued() const { return m_skipDiscontinued; }

    // Whether a field is mapped to the stock number; without one, show stockNumberRequired()
    // and map again.
    bool hasStockNumber() const { return m_map.stockFieldIndex() >= 0; }
    static QString stockNumberRequired();
    // Back one field from `position`: the field before it is unmapped (a discontinued answer
    // given for it goes too) and is the one to map next. Stays at the first field.
    int back(int position);
    // Mapping starts again from the first field.
    void restart() { m_map.clear(); }
    // After mapping: the added slots' labels are emptied (they stay mapped).
    void finish() { m_fields.clearAddedSlotLabels(); }

    const FieldMap& map() const { return m_map; }
    // A whole mapping given at once (fixed mappings, the command line).
    void setMap(const FieldMap& map) { m_map = map; }

private:
    ImportItem m_fields;
    FieldMap m_map;
    bool m_skipDiscontinued = false;
};

} // namespace tovin
