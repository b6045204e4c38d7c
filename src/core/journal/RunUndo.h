#pragma once

#include "core/storage/ColumnKind.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace tovin {

class CatalogueDatabase;

// Takes a run of the journal back in one transaction, itself a run (kind undo), so undoing the
// undo does the run again and the first run counts as standing once more.
//
// Going through the run's rows from its last to its first: a row it added is deleted when it
// still holds exactly what the run wrote; a column it changed gets its old value back when it
// still holds the run's new value; a row it deleted comes back with its key. A row or column
// that was changed since (or a key taken meanwhile) is left as it is and listed, and so is a
// row it added that is gone already. A row or column is not given back a stock number (or a
// stock row's product) that another row holds now: the program finds rows by those values, so
// two rows with one would leave later imports and receipts writing into only one of them.
class RunUndo {
public:
    struct Kept {
        QString table;
        qint64 key = 0;
        QString stockNumber; // for Products rows
        QString column;      // empty for a whole row (gone, already deleted, or its key taken)
        ColumnKind kind = ColumnKind::Text; // the column's, for showing its values
        QVariant current;                   // the value now
        QVariant runValue;                  // the value the run wrote
        QString reason;
        qint64 heldBy = 0; // the other row now holding the value this one would get back
    };
    struct Result {
        qint64 run = 0;
        qint64 undoRun = 0; // 0 for a trial
        qint64 rowsDeleted = 0;
        qint64 rowsRestored = 0; // rows whose columns were set back
        qint64 rowsReinserted = 0;
        QList<Kept> kept;
        qint64 rowsTakenBack() const { return rowsDeleted + rowsRestored + rowsReinserted; }
    };

    // Raises a RunTimeError with a plain message, changing nothing, for an unknown run, a run
    // already undone or a catalogue that cannot be written. A trial makes the same decisions
    // in a reading transaction, from the rows as the undo would leave them, and gives the same
    // figures: it writes nothing and takes no write lock, so it needs no right to write.
    static Result undo(CatalogueDatabase& db, qint64 run, bool trial = false);

    // "Run 12 taken back: 3 rows deleted, 1 row restored, 0 rows put back; 1 change kept."
    static QString summary(const Result& result, bool trial);
    // "Products A100 Price: now 3, the run wrote 2.5"
    static QString line(const Kept& kept);
};

} // namespace tovin
