#include "core/journal/JournalRun.h"

#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueSchema.h"
#include "core/journal/JournalConnection.h"
#include "core/shell/SettingsStore.h"

#include <QDateTime>
#include <memory>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString Section = u"Journal"_s;

int setting(const QString& key, int defaultValue) {
    bool ok = false;
    const int value =
        SettingsStore::program().value(Section, key, QString::number(defaultValue)).toInt(&ok);
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
    qint64& current = JournalConnection::currentRun(db);
    if (current != 0)
        return;
    // Normally the run's first transaction is already open; a run begun outside one writes its
    // Runs row at once.
    std::unique_ptr<ScopedTransaction> own;
    if (sqlite3_get_autocommit(db.handle()))
        own = std::make_unique<ScopedTransaction>(db);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    db.run(u"INSERT INTO Runs (Kind, Started, Source) VALUES (?, ?, ?)"_s,
           {kind, now.toString(Qt::ISODate), source});
    m_number = sqlite3_last_insert_rowid(db.handle());
    // This run counts among the last ones kept.
    const QString cutoff = now.addDays(-keepDays()).toString(Qt::ISODate);
    db.run(u"DELETE FROM RunRows WHERE Run IN (SELECT Run FROM Runs WHERE Started < ? AND Run "
           u"NOT IN (SELECT Run FROM Runs ORDER BY Run DESC LIMIT ?))"_s,
           {cutoff, qMax(1, keepRuns())});
    db.run(u"DELETE FROM Runs WHERE Started < ? AND Run NOT IN (SELECT Run FROM Runs ORDER BY "
           u"Run DESC LIMIT ?)"_s,
           {cutoff, qMax(1, keepRuns())});
    if (own)
        own->commit();
    current = m_number;
}

JournalRun::~JournalRun() {
    if (m_number != 0)
        JournalConnection::currentRun(m_db) = 0;
}

void JournalRun::setTotals(const QString& totals) {
    if (m_number == 0)
        return;
    // Counted once here, in the run's last transaction, so the history need not count them.
    m_db.run(u"UPDATE Runs SET Totals = ?, Added = (SELECT count(*) FROM RunRows WHERE Run = ? "
             u"AND Change = 1), Changed = (SELECT count(*) FROM RunRows WHERE Run = ? AND "
             u"Change = 2), Deleted = (SELECT count(*) FROM RunRows WHERE Run = ? AND Change = "
             u"3) WHERE Run = ?"_s,
             {totals, m_number, m_number, m_number, m_number});
}

} // namespace tovin
