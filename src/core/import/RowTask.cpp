#include "core/import/RowTask.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/import/ImportMessages.h"
#include "core/journal/JournalRun.h"
#include "core/shell/ErrorReporting.h"
#include "core/storage/CatalogueFailure.h"

#include <limits>

namespace tovin {

RowTask::Run::Run(const RowTask& task, CatalogueDatabase& db, const ProgressCallback& progress,
                  const QString& kind, const QString& source)
    : m_task(task), m_progress(progress),
      m_transaction(std::make_unique<BatchedTransaction>(
          db, task.m_writes == Writes::InBatches ? task.m_options.commitEvery
                                                 : std::numeric_limits<int>::max())),
      m_journal(std::make_unique<JournalRun>(db, kind, source)) {}

RowTask::Run::~Run() = default;

void RowTask::Run::step(const QString& item, const std::function<void()>& work) {
    try {
        work();
    } catch (const CatalogueFailure&) {
        throw;
    } catch (const StatementRefused& error) {
        ++m_outcome.errors;
        m_task.report(RunTimeError(error.number(),
                                   ImportMessages::refusedItem(item, error.databaseMessage())));
    } catch (const RunTimeError& error) {
        ++m_outcome.errors;
        m_task.report(
            RunTimeError(error.number(), ImportMessages::refusedItem(item, error.description())));
    }
    m_transaction->rowDone();
}

bool RowTask::Run::tell(const ImportProgress& report) {
    if (!m_progress || m_progress(report))
        return true;
    m_outcome.cancelled = true;
    return false;
}

ImportOutcome RowTask::Run::finish(const ImportCounts& counts, const QString& totals) {
    m_journal->setTotals(totals);
    m_transaction->commit();
    m_outcome.counts = counts;
    m_outcome.totals = totals;
    return m_outcome;
}

void RowTask::report(const RunTimeError& error) const {
    if (m_options.onError)
        m_options.onError(error);
    else
        ReportError(ImportMessages::errorLabel(m_procedure), error);
}

} // namespace tovin
