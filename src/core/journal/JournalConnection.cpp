#include "core/journal/JournalConnection.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/journal/JournalBuffer.h"
#include "core/storage/ChangeCapture.h"

#include <memory>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace tovin::JournalConnection {

namespace {

using State = JournalBuffer::CurrentRun;

// The journal's state is the listener of the connection's capture, so it lives exactly as long
// as the connection: a later connection at the same address never finds it.
State& stateOf(CatalogueDatabase& db) {
    ChangeCapture& capture = db.connection().changeCapture();
    if (ChangeCapture::Listener* listener = capture.listener())
        return static_cast<State&>(*listener);
    auto made = std::make_unique<State>();
    State* state = made.get();
    capture.listen(std::move(made));
    // Changes are written by the transaction's own commit; a commit that would leave some
    // unwritten, a write outside a transaction during a run, is refused by the capture: the
    // journal would no longer match the file.
    db.setBeforeCommit([&db, state] { JournalBuffer::write(db, *state); });
    return *state;
}

} // namespace

QStringList journalledTables(CatalogueDatabase& db) {
    QStringList tables = db.tableNames();
    if (db.hasTable(CatalogueSchema::ReceivedLinesTable))
        tables << db.tableName(CatalogueSchema::ReceivedLinesTable);
    return tables;
}

void setRun(CatalogueDatabase& db, qint64 run) {
    State& state = currentRun(db);
    if (run == 0 && state.run != 0)
        state.last = state.run;
    state.run = run;
    db.connection().changeCapture().setRun(run);
}

qint64 takeLastRun(CatalogueDatabase& db) {
    return std::exchange(stateOf(db).last, 0);
}

JournalBuffer::CurrentRun& currentRun(CatalogueDatabase& db) {
    State& state = stateOf(db);
    if (state.run == 0) {
        ChangeCapture& capture = db.connection().changeCapture();
        for (const QString& table : journalledTables(db))
            if (const int number = JournalBuffer::addTable(state, table); number >= 0)
                capture.watch(table, number);
    }
    return state;
}

} // namespace tovin::JournalConnection
