#include "core/journal/JournalRun.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/journal/JournalBuffer.h"
#include "core/journal/JournalConnection.h"
#include "core/journal/JournalValues.h"
#include "core/settings/SettingsStore.h"

#include <QDateTime>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString JournalSection = u"Journal"_s;

int setting(const QString& key, int defaultValue) {
    bool ok = false;
    const int value = SettingsStore::program()
                          .value(JournalSection, key, QString::number(defaultValue))
                          .toInt(&ok);
    return ok && value >= 0 ? value : defaultValue;
}

} // namespace

int JournalRun::keepRuns() {
    return setting(u"KeepRuns"_s, 50);
}

int JournalRun::keepDays() {
    return setting(u"KeepDays"_s, 90);
}

JournalRun::JournalRun(CatalogueDatabase& db, const QString& kind, const QString& source)
    : m_db(db) {
    if (db.isReadOnly() || !db.hasTable(CatalogueSchema::RunsTable))
        return;
    JournalBuffer::CurrentRun& current = JournalConnection::currentRun(db);
    if (current.run != 0)
        return;
    // Normally the run's first transaction is already open; a run begun outside one writes its
    // Runs row at once.
    std::unique_ptr<ScopedTransaction> own;
    if (!db.connection().inTransaction())
        own = std::make_unique<ScopedTransaction>(db);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    db.run(u"INSERT INTO Runs (Kind, Started, Source) VALUES (?, ?, ?)"_s,
           {kind, now.toString(Qt::ISODate), source});
    m_number = db.connection().lastInsertedKey();
    dropOldRuns(db, now);
    if (own)
        own->commit();
    JournalConnection::setRun(db, m_number);
}

// This run counts among the last ones kept. Each run's chunks go as one range of RunRows' key.
void JournalRun::dropOldRuns(CatalogueDatabase& db, const QDateTime& now) {
    const QString cutoff = now.addDays(-keepDays()).toString(Qt::ISODate);
    QList<qint64> old;
    StorageStatement& q =
        db.run(u"SELECT Run FROM Runs WHERE Started < ? AND Run NOT IN (SELECT Run "
               u"FROM Runs ORDER BY Run DESC LIMIT ?)"_s,
               {cutoff, qMax(1, keepRuns())});
    while (q.next())
        old << q.value(0).toLongLong();
    q.finish();
    for (const qint64 run : std::as_const(old)) {
        db.run(u"DELETE FROM RunRows WHERE Seq >= ? AND Seq < ?"_s,
               {JournalValues::firstRowOf(run), JournalValues::firstRowOf(run + 1)});
        db.run(u"DELETE FROM Runs WHERE Run = ?"_s, {run});
    }
}

JournalRun::~JournalRun() {
    if (m_number == 0)
        return;
    try {
        JournalConnection::setRun(m_db, 0);
    } catch (const RunTimeError&) {
        // The server's session went with its connection, and the run's setting with it.
    }
}

void JournalRun::setTotals(const QString& totals) {
    if (m_number == 0)
        return;
    // Counted once here, in the run's last transaction, so the history need not count them;
    // the changes still in memory are written first to be counted with the others.
    JournalBuffer::write(m_db, JournalConnection::currentRun(m_db));
    const qint64 first = JournalValues::firstRowOf(m_number);
    const qint64 end = JournalValues::firstRowOf(m_number + 1);
    m_db.run(u"UPDATE Runs SET Totals = ?, (Added, Changed, Deleted) = (SELECT "
             u"coalesce(sum(Added), 0), coalesce(sum(Changed), 0), coalesce(sum(Deleted), 0) "
             u"FROM RunRows WHERE Seq >= ? AND Seq < ?) WHERE Run = ?"_s,
             {totals, first, end, m_number});
}

} // namespace tovin
