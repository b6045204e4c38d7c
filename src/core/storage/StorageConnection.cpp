#include "core/storage/StorageConnection.h"

#include "core/storage/CatalogueFailure.h"
#include "core/storage/ChangeCapture.h"

namespace tovin {

StorageConnection::StorageConnection() = default;

// Defined here, where the capture's type is complete. An engine closes itself in its own
// destructor, before this one, and stops telling the capture first.
StorageConnection::~StorageConnection() = default;

ChangeCapture& StorageConnection::changeCapture() {
    if (!m_capture)
        m_capture = makeChangeCapture();
    return *m_capture;
}

StorageStatement& StorageConnection::cached(const QString& sql) {
    auto it = m_cached.find(sql);
    if (it == m_cached.end())
        it = m_cached.insert(sql, std::shared_ptr<StorageStatement>(prepare(sql)));
    return **it;
}

void StorageConnection::runTogether(std::vector<GroupedRun>& runs, const Meanwhile& meanwhile) {
    for (size_t i = 0; i < runs.size(); ++i) {
        if (i == meanwhile.after && meanwhile.work)
            meanwhile.work();
        GroupedRun& run = runs[i];
        StorageStatement& statement = *run.statement;
        try {
            for (size_t v = 0; v < run.values.size(); ++v)
                statement.bind(int(v) + 1, run.values[v]);
            statement.execute();
        } catch (const StatementRefused& refusal) {
            statement.reset();
            if (!run.refused)
                throw;
            run.refused(refusal);
            continue;
        }
        if (run.done)
            run.done(statement);
        statement.reset();
    }
    if (meanwhile.after >= runs.size() && meanwhile.work)
        meanwhile.work();
}

} // namespace tovin
