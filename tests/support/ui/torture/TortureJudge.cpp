#include "support/ui/torture/TortureJudge.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/storage/CatalogueLocation.h"

#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test::torture {

namespace {

// Bulk edits of one family differ by the stock number they leave out, which no product has,
// so that each run's source names its command.
QString bulkCondition(const Launched& launched) {
    return u"PageNo = %1 and StockNo <> 'B%2'"_s.arg(pageOf(launched.command.family))
        .arg(launched.command.id);
}

FamilyState bulkEdited(const FamilyState& before, int id) {
    FamilyState after = before;
    for (ItemState& item : after)
        if (item.present) {
            item.name = u"bulk-%1"_s.arg(id);
            item.retail = 123400;
        }
    return after;
}

QString fileProblem(const QString& path) {
    try {
        CatalogueDatabase db(path);
        const QString check = db.scalar(u"PRAGMA integrity_check"_s).toString();
        return check == u"ok"_s ? QString() : u"integrity_check of "_s + path + u": "_s + check;
    } catch (...) {
        return path + u" cannot be opened"_s;
    }
}

struct Counts {
    qint64 added = 0;
    qint64 changed = 0;
    qint64 deleted = 0;
    bool operator==(const Counts&) const = default;
};

} // namespace

QStringList historyProblems(CatalogueDatabase& db) {
    QHash<qint64, Counts> chunks;
    StorageStatement& sums =
        db.run(u"SELECT Seq / 4294967296, sum(Added), sum(Changed), sum(Deleted) FROM RunRows "_s
               u"GROUP BY Seq / 4294967296"_s);
    while (sums.next())
        chunks.insert(
            sums.value(0).toLongLong(),
            {sums.value(1).toLongLong(), sums.value(2).toLongLong(), sums.value(3).toLongLong()});
    struct Run {
        bool ended = false;
        Counts counts;
        qint64 undoOf = 0;
        qint64 undoneBy = 0;
    };
    QHash<qint64, Run> runs;
    StorageStatement& all = db.run(u"SELECT Run, Added, Changed, Deleted, coalesce(UndoOf, 0), "_s
                                   u"coalesce(UndoneBy, 0) FROM Runs"_s);
    while (all.next())
        runs.insert(
            all.value(0).toLongLong(),
            {!all.value(1).isNull(),
             {all.value(1).toLongLong(), all.value(2).toLongLong(), all.value(3).toLongLong()},
             all.value(4).toLongLong(),
             all.value(5).toLongLong()});
    QStringList problems;
    for (auto it = runs.cbegin(); it != runs.cend(); ++it) {
        const Run& run = it.value();
        const Counts told = chunks.value(it.key());
        if (run.ended && run.counts != told)
            problems << u"run %1 counts %2/%3/%4 rows, its journal holds %5/%6/%7"_s.arg(it.key())
                            .arg(run.counts.added)
                            .arg(run.counts.changed)
                            .arg(run.counts.deleted)
                            .arg(told.added)
                            .arg(told.changed)
                            .arg(told.deleted);
        if (run.undoOf != 0 && !run.ended)
            problems << u"run %1, the undo of run %2, never ended"_s.arg(it.key()).arg(run.undoOf);
        if (run.undoneBy != 0 && runs.value(run.undoneBy).undoOf != it.key())
            problems << u"run %1 is told undone by run %2, which took back run %3"_s.arg(it.key())
                            .arg(run.undoneBy)
                            .arg(runs.value(run.undoneBy).undoOf);
    }
    for (auto it = chunks.cbegin(); it != chunks.cend(); ++it)
        if (!runs.contains(it.key()))
            problems << u"the journal holds rows of run %1, which the history does not"_s.arg(
                it.key());
    return problems;
}

Judge::Judge(QString catalogue)
    : m_catalogue(std::move(catalogue)), m_server(CatalogueLocation::isServer(m_catalogue)) {}

QString Judge::catalogueProblem(const QString& location) const {
    if (!CatalogueLocation::isServer(location))
        if (const QString problem = fileProblem(location); !problem.isEmpty())
            return problem;
    try {
        CatalogueDatabase db(location);
        const QStringList problems = historyProblems(db);
        return problems.isEmpty()
                   ? QString()
                   : u"the history of "_s + CatalogueLocation::withoutPassword(location) +
                         u" is not whole: "_s + problems.mid(0, 4).join(u"; "_s);
    } catch (const RunTimeError& error) {
        return CatalogueLocation::withoutPassword(location) + u" cannot be read: "_s +
               error.description();
    } catch (...) {
        return CatalogueLocation::withoutPassword(location) + u" cannot be read"_s;
    }
}

QString bulkEditCondition(const Launched& launched) {
    return bulkCondition(launched);
}

QSet<qint64> runsIn(CatalogueDatabase& db) {
    QSet<qint64> runs;
    StorageStatement& held = db.run(u"SELECT Run FROM Runs"_s);
    while (held.next())
        runs.insert(held.value(0).toLongLong());
    return runs;
}

qint64 findRun(CatalogueDatabase& db, const Launched& launched, const QSet<qint64>& claimed) {
    const Command& command = launched.command;
    QString sql;
    QVariantList values;
    if (command.kind == CommandKind::Import) {
        sql = u"SELECT Run FROM Runs WHERE Source IN (?, ?) ORDER BY Run DESC"_s;
        values << QFileInfo(launched.file).fileName() << launched.file;
    } else if (command.kind == CommandKind::BulkEdit) {
        sql = u"SELECT Run FROM Runs WHERE Source = ? ORDER BY Run DESC"_s;
        values << bulkCondition(launched);
    } else if (command.kind == CommandKind::Undo) {
        sql = u"SELECT Run FROM Runs WHERE UndoOf = ? ORDER BY Run DESC"_s;
        values << launched.targetRun;
    } else {
        return 0;
    }
    StorageStatement& query = db.run(sql, values);
    while (query.next())
        if (const qint64 run = query.value(0).toLongLong(); !claimed.contains(run))
            return run;
    return 0;
}

void Judge::judgeExit(const Launched& launched, QStringList& failures) const {
    if (launched.skipped || !launched.ended)
        return;
    if (launched.crashed && launched.killed)
        return;
    if (launched.status == 2 && !launched.killed && launched.err.trimmed().isEmpty())
        failures << launched.command.describe() + u" ended with status 2 without saying why"_s;
    if (launched.crashed || (launched.status != 0 && launched.status != 2))
        failures << u"%1 ended with %2: %3"_s.arg(
            launched.command.describe(),
            launched.crashed ? u"a crash"_s : u"status %1"_s.arg(launched.status),
            launched.err.trimmed().left(400));
    // On a server writers wait for their turn and readers need no turn at all: a command fails
    // only when its connection was cut (its backend ended, the server restarted), or when it
    // was asked to take back a run another one took back first.
    if (m_server && launched.status == 2 && !launched.crashed && !launched.killed &&
        launched.cut.isEmpty() &&
        !(launched.command.kind == CommandKind::Undo && launched.err.contains(u"already undone"_s)))
        failures << u"%1 ended with status 2 though nothing cut its connection: %2"_s.arg(
            launched.command.describe(), launched.err.trimmed().left(400));
    // A cut connection is told in the program's own words, not as the server's raw message.
    // (Qt's own note about a missing runtime folder is the test machine's, not the program's.)
    QStringList said = launched.err.trimmed().split(u'\n');
    said.removeIf([](const QString& line) { return line.startsWith(u"QStandardPaths:"_s); });
    if (m_server && launched.status == 2 && !launched.crashed &&
        !said.value(0).startsWith(u"tovin-catalog "_s))
        failures << u"%1 ended with status 2 saying first something else than the program's "_s
                    u"own words: %2"_s.arg(launched.command.describe(),
                                           launched.err.trimmed().left(400));
}

QStringList Judge::afterWave(Model& model, const Model& atStart, const QList<Launched*>& wave,
                             QMap<int, Snapshot>& snapshots, const QList<qint64>& windowRows,
                             bool replaced) {
    QStringList failures;
    for (const Launched* launched : wave)
        judgeExit(*launched, failures);
    if (const QString problem = catalogueProblem(m_catalogue); !problem.isEmpty())
        return failures << problem;
    CatalogueDatabase db(m_catalogue);
    m_newestRuns.clear();
    StorageStatement& newest =
        db.run(u"SELECT Run, Kind, Source FROM Runs ORDER BY Run DESC LIMIT 4"_s);
    while (newest.next())
        m_newestRuns << u"%1 %2 %3"_s.arg(newest.value(0).toString(), newest.value(1).toString(),
                                          newest.value(2).toString());
    looseWhereTheWindowWrote(db, model, windowRows);
    const Launched* restored = nullptr;
    // A restore killed once it had put its copy in place is done, though it never said so.
    bool restoreKilled = false;
    for (const Launched* launched : wave) {
        if (launched->command.kind != CommandKind::Restore)
            continue;
        if (launched->succeeded())
            restored = launched;
        restoreKilled = restoreKilled || launched->killed;
    }
    if (restored) {
        judgeRestore(db, model, *restored, wave, snapshots, failures);
    } else if (replaced || restoreKilled) {
        // The window restored a copy of its own (File > Restore From Backup), or took a run
        // back from its history screen; or a restore was killed, maybe after its copy was put
        // in place.
        model.makeAllLoose(u"the window or a killed restore may have put a backup copy in the "_s
                           u"catalogue's place, or the window took a run back"_s);
        // The copy's history numbers its runs as this one does, so a run of the model may be
        // another one now, or gone: none is taken back by its number, or looked for in the
        // history's list.
        for (Family& family : model.families)
            family.stack.clear();
    } else {
        for (const Launched* launched : wave) {
            if (launched->skipped)
                continue;
            if (launched->command.kind == CommandKind::Import)
                judgeImport(db, model, *launched, failures);
            else if (launched->command.kind == CommandKind::BulkEdit)
                judgeBulkEdit(db, model, *launched, failures);
            else if (launched->command.kind == CommandKind::Undo)
                judgeUndo(db, model, *launched, failures);
        }
    }
    for (const Launched* launched : wave) {
        if (launched->skipped || !launched->succeeded())
            continue;
        if (launched->command.kind == CommandKind::Backup)
            takeSnapshot(*launched, model, atStart, restored || restoreKilled || replaced,
                         snapshots, failures);
        else
            judgeReaders(*launched, atStart, restored || restoreKilled || replaced, failures);
    }
    checkFamilies(db, model, failures);
    // A run the catalogue no longer holds is nobody's: the oldest are let go, and a killed
    // restore or the window's may have put an older history in place, whose next runs take
    // the numbers of runs claimed in this one.
    model.claimedRuns.intersect(runsIn(db));
    QStringList duplicates;
    StorageStatement& twice =
        db.run(u"SELECT StockNo, count(*) FROM Products WHERE StockNo >= 'T' AND StockNo < 'U' "_s
               u"GROUP BY StockNo HAVING count(*) > 1"_s);
    while (twice.next())
        duplicates << u"%1 (%2 products)"_s.arg(twice.value(0).toString(),
                                                twice.value(1).toString());
    if (!duplicates.isEmpty())
        failures << u"two products with one stock number: "_s + duplicates.mid(0, 5).join(u", "_s);
    rememberRows(db);
    return failures;
}

void Judge::looseWhereTheWindowWrote(CatalogueDatabase& db, Model& model,
                                     const QList<qint64>& rows) const {
    for (const qint64 row : rows) {
        QStringList stockNumbers{m_rows.value(row)};
        stockNumbers
            << db.scalar(u"SELECT StockNo FROM Products WHERE rowid = ?"_s, {row}).toString();
        for (const QString& stockNo : std::as_const(stockNumbers))
            if (stockNo.startsWith(u'T') && stockNo.size() == 11)
                model.makeLoose(stockNo.mid(1, 4).toInt(), u"the window wrote "_s + stockNo);
    }
}

void Judge::rememberRows(CatalogueDatabase& db) {
    m_rows.clear();
    StorageStatement& query =
        db.run(u"SELECT rowid, StockNo FROM Products WHERE StockNo >= 'T' AND StockNo < 'U'"_s);
    while (query.next())
        m_rows.insert(query.value(0).toLongLong(), query.value(1).toString());
}

// The copy took the catalogue's place. A writer that ended 0 beside it wrote either before the
// copy was put in place, and then the catalogue as it was (kept by the restore) holds its run,
// or after, and then the catalogue holds it: never neither.
void Judge::judgeRestore(CatalogueDatabase& db, Model& model, const Launched& restore,
                         const QList<Launched*>& wave, QMap<int, Snapshot>& snapshots,
                         QStringList& failures) {
    static const QRegularExpression keptAs(u"Backed up the current catalogue to (.+)$"_s,
                                           QRegularExpression::MultilineOption);
    const QString kept = keptAs.match(restore.out).captured(1).trimmed();
    for (const Launched* writer : wave) {
        if (writer == &restore || !writesRuns(writer->command.kind) || !writer->succeeded())
            continue;
        if (findRun(db, *writer, {}) != 0)
            continue;
        bool before = false;
        if (!kept.isEmpty() && QFileInfo::exists(kept)) {
            CatalogueDatabase old(kept);
            before = findRun(old, *writer, {}) != 0;
        }
        if (!before)
            failures << u"%1 and %2 both ended with status 0, and the work of %2 is gone (in "_s
                        u"neither the catalogue nor the copy the restore kept, %3)"_s.arg(
                            restore.command.describe(), writer->command.describe(), kept);
    }
    const int next = model.nextFamily;
    model = snapshots.value(restore.command.target).model;
    model.nextFamily = qMax(next, model.nextFamily);
    for (const Launched* writer : wave)
        if (writer != &restore && writesRuns(writer->command.kind))
            for (const int family : model.families.keys())
                if (family == writer->command.family || writer->command.kind == CommandKind::Undo)
                    model.makeLoose(family, u"a writer ran beside a restore"_s);
}

void Judge::recordRun(Model& model, Family& family, const Launched& launched, qint64 run,
                      const FamilyState& before, const FamilyState& after, QStringList& failures) {
    if (before == after)
        return;
    family.state = after;
    if (run == 0) {
        failures << u"%1 changed family %2 (%3), but its run is not in the history (its newest "_s
                    u"runs: %4)"_s.arg(launched.command.describe())
                        .arg(family.number)
                        .arg(describe(after), m_newestRuns.join(u", "_s));
        return;
    }
    model.claimedRuns.insert(run);
    family.stack.append({launched.command.id, run, before, after});
}

namespace {

enum class Seen { Before, After, Both, Neither };

Seen seen(const ItemState& actual, const ItemState& before, const ItemState& after) {
    if (before == after)
        return actual == before ? Seen::Both : Seen::Neither;
    if (actual == before)
        return Seen::Before;
    return actual == after ? Seen::After : Seen::Neither;
}

// A run that did not end well keeps the batches it committed: the items of the file that
// changed come first, and stop at a multiple of the batch size (or at the file's end).
QString partialProblem(const FamilyState& actual, const FamilyState& before,
                       const FamilyState& after, int fileItems, int family) {
    constexpr int Batch = 2000;
    qsizetype lastAfter = -1;
    qsizetype firstBefore = actual.size();
    for (qsizetype i = 0; i < actual.size(); ++i) {
        const Seen item = seen(actual.at(i), before.at(i), after.at(i));
        if (item == Seen::Neither)
            return u"%1 is neither as before nor as after: %2"_s.arg(
                stockNumber(family, int(i)), firstDifference(after, actual, family));
        if (item == Seen::After)
            lastAfter = i;
        if (item == Seen::Before && firstBefore == actual.size())
            firstBefore = i;
    }
    for (qsizetype end = 0; end <= fileItems; end += Batch)
        if (lastAfter < end && end <= firstBefore)
            return QString();
    if (lastAfter < fileItems && fileItems <= firstBefore)
        return QString();
    return u"items up to %1 were written and %2 was not: not whole batches of %3"_s
        .arg(stockNumber(family, int(lastAfter)), stockNumber(family, int(firstBefore)))
        .arg(Batch);
}

} // namespace

void Judge::judgeImport(CatalogueDatabase& db, Model& model, const Launched& launched,
                        QStringList& failures) {
    const Command& command = launched.command;
    if (!model.families.contains(command.family))
        model.families.insert(
            command.family,
            Family{command.family, command.count, 0, FamilyState(command.count), {}, false, {}});
    model.nextFamily = qMax(model.nextFamily, command.family + 1);
    Family& family = model.families[command.family];
    const FamilyState before = family.state;
    FamilyState after = before;
    for (int i = 0; i < qMin(command.count, family.size); ++i)
        if (!command.editOnly || before.at(i).present)
            after[i] = itemFromFile(command.family, i, command.version);
    const FamilyState actual = readFamily(db, command.family, family.size, nullptr);
    const qint64 run = findRun(db, launched, model.claimedRuns);
    if (family.loose) {
        family.state = actual;
        model.claimedRuns.insert(run);
        return;
    }
    if (launched.succeeded()) {
        if (actual != after)
            failures << u"%1 ended with status 0 but its items are not all there: %2"_s.arg(
                command.describe(), firstDifference(after, actual, command.family));
        recordRun(model, family, launched, run, before, actual, failures);
        return;
    }
    if (const QString problem =
            partialProblem(actual, before, after, command.count, command.family);
        !problem.isEmpty())
        failures << command.describe() + u" failed and left "_s + problem;
    recordRun(model, family, launched, run, before, actual, failures);
}

void Judge::judgeBulkEdit(CatalogueDatabase& db, Model& model, const Launched& launched,
                          QStringList& failures) {
    const Command& command = launched.command;
    if (!model.families.contains(command.family))
        return;
    Family& family = model.families[command.family];
    const FamilyState actual = readFamily(db, command.family, family.size, nullptr);
    const qint64 run = findRun(db, launched, model.claimedRuns);
    if (family.loose) {
        family.state = actual;
        model.claimedRuns.insert(run);
        return;
    }
    const FamilyState before = family.state;
    const FamilyState after = bulkEdited(before, command.id);
    if (launched.succeeded() && actual != after)
        failures << u"%1 ended with status 0 but did not change every product: %2"_s.arg(
            command.describe(), firstDifference(after, actual, command.family));
    else if (!launched.succeeded() && actual != before && actual != after)
        failures << u"%1 failed and changed some products only: %2"_s.arg(
            command.describe(), firstDifference(after, actual, command.family));
    recordRun(model, family, launched, run, before, actual, failures);
}

void Judge::judgeUndo(CatalogueDatabase& db, Model& model, const Launched& launched,
                      QStringList& failures) {
    const Command& command = launched.command;
    const auto place = model.transitionOf(command.target);
    if (!place)
        return;
    Family& family = model.families[place->first];
    const FamilyState actual = readFamily(db, family.number, family.size, nullptr);
    const qint64 run = findRun(db, launched, model.claimedRuns);
    const bool last = place->second == family.stack.size() - 1;
    if (!last || family.loose) {
        // Rows changed again since are kept as they are: what is left cannot be told here.
        if (run != 0 || actual != family.state)
            model.makeLoose(family.number, command.describe() + u" took back an older run"_s);
        family.state = actual;
        model.claimedRuns.insert(run);
        return;
    }
    const FamilyState before = family.state;
    const FamilyState after = family.stack.at(place->second).before;
    if (launched.succeeded() && actual != after)
        failures << u"%1 ended with status 0 but did not take the run back: %2"_s.arg(
            command.describe(), firstDifference(after, actual, family.number));
    else if (!launched.succeeded() && actual != before &&
             (actual != after || (!launched.killed && launched.cut.isEmpty())))
        failures << u"%1 failed and changed the catalogue: %2"_s.arg(
            command.describe(), firstDifference(before, actual, family.number));
    recordRun(model, family, launched, run, before, actual, failures);
}

// The copy holds each family as it was before the wave or after it, unless a writer was
// half-way through it; those families are not judged after a restore of this copy. A copy
// taken beside a restore of the same wave may hold the catalogue from before the restore or
// from after it, two histories whose runs share their numbers: after a restore of that copy
// no family is judged and no run of the model's is taken back by its number.
void Judge::takeSnapshot(const Launched& backup, const Model& model, const Model& atStart,
                         bool besideRestore, QMap<int, Snapshot>& snapshots,
                         QStringList& failures) const {
    static const QRegularExpression copyName(u"^Backed up .* to (.+) \\(\\d+ products\\)$"_s,
                                             QRegularExpression::MultilineOption);
    // On a server the copy is a file "share" wrote.
    const QString copy = m_server ? backup.file : copyName.match(backup.out).captured(1);
    if (copy.isEmpty() || !QFileInfo::exists(copy)) {
        failures << backup.command.describe() + u" ended with status 0 but wrote no copy: "_s +
                        backup.out.trimmed();
        return;
    }
    if (const QString problem = catalogueProblem(copy); !problem.isEmpty()) {
        failures << backup.command.describe() + u" wrote a damaged copy: "_s + problem;
        return;
    }
    Snapshot snapshot{copy, model};
    if (besideRestore) {
        snapshot.model.makeAllLoose(u"the copy was taken beside a restore, before or after it"_s);
        for (Family& family : snapshot.model.families)
            family.stack.clear();
        snapshots.insert(backup.command.id, snapshot);
        return;
    }
    CatalogueDatabase db(copy);
    const QSet<qint64> runs = runsIn(db);
    snapshot.model.claimedRuns.intersect(runs);
    for (Family& family : snapshot.model.families) {
        const FamilyState inCopy = readFamily(db, family.number, family.size, nullptr);
        // A family nothing changed all through the wave is in the copy as it stood. (A file's
        // copy may meet a restore of the same wave, which changes what "as it stood" means.)
        const auto stood = atStart.families.constFind(family.number);
        if (m_server && !family.loose && stood != atStart.families.cend() && !stood->loose &&
            stood->state == family.state && inCopy != family.state)
            failures << u"%1 copied family %2 otherwise than it stood all through the wave: %3"_s
                            .arg(backup.command.describe())
                            .arg(family.number)
                            .arg(firstDifference(family.state, inCopy, family.number));
        if (!family.loose && inCopy != family.state) {
            // A family the wave began is all absent before it.
            family = atStart.families.value(
                family.number,
                Family{family.number, family.size, 0, FamilyState(family.size), {}, false, {}});
            if (inCopy != family.state) {
                family.state = inCopy;
                family.loose = true;
                family.looseWhy = u"the copy was taken while a writer ran"_s;
            }
        }
        // Runs the copy does not hold cannot be taken back after it is restored.
        family.stack.removeIf(
            [&runs](const Transition& transition) { return !runs.contains(transition.run); });
    }
    snapshots.insert(backup.command.id, snapshot);
}

void Judge::judgeReaders(const Launched& launched, const Model& atStart, bool restored,
                         QStringList& failures) const {
    const Command& command = launched.command;
    if (command.kind == CommandKind::Report || command.kind == CommandKind::Export) {
        QFile file(launched.file);
        if (!file.open(QIODevice::ReadOnly))
            failures << command.describe() + u" ended with status 0 but wrote no file"_s;
        else if (command.kind == CommandKind::Report && !file.read(5).startsWith("%PDF"))
            failures << command.describe() + u" wrote something else than a PDF"_s;
    }
    if (command.kind != CommandKind::History || restored)
        return;
    const QStringList lines = launched.out.split(u'\n');
    for (const Family& family : atStart.families)
        for (const Transition& transition : family.stack)
            if (!std::any_of(lines.cbegin(), lines.cend(), [&](const QString& line) {
                    return line.startsWith(QString::number(transition.run) + u"  "_s);
                }))
                failures << u"%1 does not list run %2 (of command %3)"_s.arg(command.describe())
                                .arg(transition.run)
                                .arg(transition.command);
}

void Judge::checkFamilies(CatalogueDatabase& db, const Model& model, QStringList& failures) const {
    for (const Family& family : model.families) {
        if (family.loose)
            continue;
        const FamilyState actual = readFamily(db, family.number, family.size, nullptr);
        if (actual != family.state)
            failures << u"family %1 is not as its runs left it (%2, expected %3): %4"_s
                            .arg(family.number)
                            .arg(describe(actual), describe(family.state),
                                 firstDifference(family.state, actual, family.number));
    }
}

} // namespace tovin::test::torture
