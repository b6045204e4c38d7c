#pragma once

#include "core/import/ImportOptions.h"
#include "core/import/ImportProgress.h"

#include <QString>
#include <functional>
#include <memory>

namespace tovin {

class BatchedTransaction;
class CatalogueDatabase;
class JournalRun;

// What the tasks that go through many Products rows without reading items from a file (the
// folder import, the picture-path change, deleting records) share: their options (the note,
// the batch size, the error handler), their transaction, passing over a row the catalogue
// refuses, stopping on a failure of the catalogue itself, and the progress and cancel tail.
class RowTask {
public:
    // How a run is written. A task that gives the same result when run again after an
    // interruption may commit in batches; one whose second run would change the rows of the
    // first once more (a note added twice, rows counted again) is written whole or not at all.
    enum class Writes { InBatches, Whole };

    // The note added to the Notes of the rows touched (not used by every task).
    void setNote(const QString& note) { m_options.note = note; }
    // Told about a row that could not be written; the run goes on with the next one. When
    // unset, errors go to ReportError under "(Form) BuildDB::Sub " + the task's procedure.
    void setErrorHandler(std::function<void(const RunTimeError&)> onError) {
        m_options.onError = std::move(onError);
    }
    // The batch size of a task that writes in batches.
    void setCommitEvery(int rows) { m_options.commitEvery = qMax(1, rows); }
    ImportOptions& options() { return m_options; }
    const ImportOptions& options() const { return m_options; }

protected:
    RowTask(QString procedure, Writes writes)
        : m_procedure(std::move(procedure)), m_writes(writes) {}
    ~RowTask() = default;
    RowTask(const RowTask&) = default;
    RowTask& operator=(const RowTask&) = default;

    // One run of a task: the batches, its entry in the journal of runs (`kind` and the folder,
    // address or search it worked on) and the outcome.
    class Run {
    public:
        Run(const RowTask& task, CatalogueDatabase& db, const ProgressCallback& progress,
            const QString& kind, const QString& source);
        ~Run();
        Run(const Run&) = delete;
        Run& operator=(const Run&) = delete;

        // Does the work of one row. A row the catalogue refuses is reported, naming `item`,
        // and passed over; a failure of the catalogue itself (a CatalogueFailure) ends the run,
        // leaving the batches already committed (nothing of a task written whole).
        void step(const QString& item, const std::function<void()>& work);
        // Tells the progress callback; false (and the outcome marked cancelled) when it asks to
        // stop.
        bool tell(const ImportProgress& report);
        // Commits the last batch (or the whole run) and gives the outcome with its counts and
        // totals line.
        ImportOutcome finish(const ImportCounts& counts, const QString& totals);

    private:
        const RowTask& m_task;
        const ProgressCallback& m_progress;
        std::unique_ptr<BatchedTransaction> m_transaction;
        std::unique_ptr<JournalRun> m_journal;
        ImportOutcome m_outcome;
    };

private:
    void report(const RunTimeError& error) const;

    QString m_procedure;
    Writes m_writes;
    ImportOptions m_options;
};

} // namespace tovin
