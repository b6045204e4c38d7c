#pragma once

#include "support/ui/torture/TortureCommand.h"
#include "support/ui/torture/TortureModel.h"

#include <QHash>
#include <QStringList>

namespace tovin {
class CatalogueDatabase;
}

// Judges the commands of one wave once they all ended: each that exited 0 left its whole
// effect, each that failed said so with status 2 and left whole batches only; and brings the
// model up to date with what they did.
namespace tovin::test::torture {

class Judge {
public:
    explicit Judge(QString catalogue);

    // `atStart` is the model before the wave; `windowRows` the Products rows this process
    // wrote during it; `replaced` whether the catalogue's file is another one than before.
    QStringList afterWave(Model& model, const Model& atStart, const QList<Launched*>& wave,
                          QMap<int, Snapshot>& snapshots, const QList<qint64>& windowRows,
                          bool replaced);

private:
    void judgeExit(const Launched& launched, QStringList& failures) const;
    void looseWhereTheWindowWrote(CatalogueDatabase& db, Model& model,
                                  const QList<qint64>& rows) const;
    void judgeRestore(CatalogueDatabase& db, Model& model, const Launched& restore,
                      const QList<Launched*>& wave, QMap<int, Snapshot>& snapshots,
                      QStringList& failures);
    void judgeImport(CatalogueDatabase& db, Model& model, const Launched& launched,
                     QStringList& failures);
    void judgeBulkEdit(CatalogueDatabase& db, Model& model, const Launched& launched,
                       QStringList& failures);
    void judgeUndo(CatalogueDatabase& db, Model& model, const Launched& launched,
                   QStringList& failures);
    // A run that changed the family from `before` to `after` must be in the history; it
    // joins the family's stack.
    void recordRun(Model& model, Family& family, const Launched& launched, qint64 run,
                   const FamilyState& before, const FamilyState& after, QStringList& failures);
    void takeSnapshot(const Launched& backup, const Model& model, const Model& atStart,
                      bool besideRestore, QMap<int, Snapshot>& snapshots,
                      QStringList& failures) const;
    void judgeReaders(const Launched& launched, const Model& atStart, bool restored,
                      QStringList& failures) const;
    void checkFamilies(CatalogueDatabase& db, const Model& model, QStringList& failures) const;
    void rememberRows(CatalogueDatabase& db);

    // What is wrong with the catalogue as a whole ("" when nothing): a file must pass SQLite's
    // own check, and on either engine every run of the history must be whole.
    QString catalogueProblem(const QString& location) const;

    QString m_catalogue;
    bool m_server = false;
    // Stock numbers of the families' products by row, as last seen, to tell which family a row
    // the window deleted belonged to.
    QHash<qint64, QString> m_rows;
    // The newest runs of the history, for a failure message.
    QStringList m_newestRuns;
};

// The run a command wrote: the newest of these kind and source (or, for an undo, taking back
// that run), 0 when there is none. Runs already claimed by other commands are passed over.
qint64 findRun(CatalogueDatabase& db, const Launched& launched, const QSet<qint64>& claimed);
// What is not whole in the run history: a run that ended counts exactly the rows its journal
// holds, an undo (one transaction) always ended, a run taken back names its undo and that undo
// names it, and no journal rows belong to a run the history does not hold.
QStringList historyProblems(CatalogueDatabase& db);
// The condition a bulk edit of the torture run selects its family with.
QString bulkEditCondition(const Launched& launched);

} // namespace tovin::test::torture
