#pragma once

#include <QHash>
#include <QVariant>
#include <QVector>

namespace tovin {

class RecordKeys;

// The current row of a record set as it is being typed into or added, and the writing of it to
// the file.
//
// Holds the row's values with the changes typed, which fields changed, and the values as they
// were read, so that a row is written only while the file still holds what was shown. Each
// write runs in a transaction of its own; a write the file refuses raises a RunTimeError,
// writes nothing and keeps the typed values.
class RecordEdit {
public:
    bool isAdding() const { return m_adding; }
    bool isChanged() const { return !m_changed.isEmpty(); }
    bool isDirty() const { return m_adding || !m_changed.isEmpty(); }

    // Shows a row as read (no values for none): its values, no change.
    void show(const QVector<QVariant>& values);
    // Forgets the row: no values, no change.
    void clear();
    // Starts a new row with every field empty.
    void startNew(int fieldCount);
    // Ends adding without writing.
    void cancelNew() {
        m_adding = false;
        m_changed.clear();
    }
    // Drops the changes typed; the values stay until the row is shown again.
    void dropChanges() { m_changed.clear(); }

    const QVector<QVariant>& values() const { return m_values; }
    // Error 3265 for a field the row lacks.
    void checkField(int index) const;
    // The field's value with any change typed; error 3265 for a field the row lacks.
    QVariant value(int index) const;
    // Types a value into a field; error 3265 for a field the row lacks.
    void setValue(int index, const QVariant& value);

    // Writes the new row with the values typed and gives its row number; adding ends.
    qint64 insert(const RecordKeys& keys);
    // Writes the changes typed into the row, unless another screen deleted it or changed one of
    // the fields being written since it was shown; the changes are then written.
    void writeOver(const RecordKeys& keys, qint64 rowId);
    // Deletes the row from the file.
    void remove(const RecordKeys& keys, qint64 rowId);

private:
    QVector<QVariant> m_values; // the current row's values with the changes typed
    QHash<int, bool> m_changed; // fields changed since the row was written
    QVector<QVariant> m_read;   // the current row's values as read, to check before writing
    bool m_adding = false;
};

} // namespace tovin
