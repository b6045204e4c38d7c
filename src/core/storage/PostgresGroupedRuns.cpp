#include "core/storage/CatalogueFailure.h"
#include "core/storage/PostgresConnection.h"
#include "core/storage/PostgresStatement.h"

#include <QScopeGuard>
#include <algorithm>
#include <exception>
#include <libpq-fe.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const char* const ReleaseSavepoint = "RELEASE SAVEPOINT tovin_statement";
const char* const SetSavepoint = "SAVEPOINT tovin_statement";

} // namespace

PostgresConnection::SendArrays::SendArrays(const std::vector<Parameter>& parameters) {
    for (const Parameter& p : parameters) {
        types.push_back(p.type);
        values.push_back(p.null ? nullptr : p.data.constData());
        lengths.push_back(int(p.data.size()));
        formats.push_back(p.binary ? 1 : 0);
    }
}

PostgresConnection::Call PostgresConnection::SendArrays::call(const QByteArray& sql,
                                                              const Named* named,
                                                              bool binaryResults) const {
    return Call{sql,           int(values.size()),   types.data(),
                values.data(), lengths.data(),       formats.data(),
                named,         binaryResults ? 1 : 0};
}

// A group on its way through the server: its runs from `from` on go in one pipeline, their
// answers are read and told, and after a refused run the rest go again.
class PostgresConnection::GroupAnswering {
public:
    GroupAnswering(PostgresConnection& connection, std::vector<GroupedRun>& runs,
                   std::vector<PostgresStatement*> statements, const Meanwhile& meanwhile)
        : m_connection(connection), m_runs(runs), m_statements(std::move(statements)),
          m_meanwhile(meanwhile), m_worked(!meanwhile.work) {}

    // Sends the runs not yet made and reads their answers, pipeline after pipeline.
    void answer() {
        while (m_from < m_runs.size() && send()) {
            workWhileMade();
            m_connection.readPipelined(m_pipeline, answered());
            takeResults();
        }
        work();
    }

private:
    void work() {
        if (!std::exchange(m_worked, true))
            m_meanwhile.work();
    }

    // Work due before any of the runs just sent is told: done while the server makes them.
    // Should it fail, every answer is still let in before the failure is raised, so that the
    // connection leaves the pipeline ready for the rollback that follows.
    void workWhileMade() {
        if (!std::exchange(m_workAfterSending, false))
            return;
        m_connection.m_answering = true;
        const auto stillAnswering = qScopeGuard([this] { m_connection.m_answering = false; });
        try {
            work();
        } catch (...) {
            m_pipeline.failed = std::current_exception();
        }
    }

    // The runs from `from` on, one by one.
    void oneByOne(size_t from) {
        std::vector<GroupedRun> rest(m_runs.begin() + qsizetype(from), m_runs.end());
        Meanwhile left;
        if (!m_worked) {
            left.after = std::max(m_meanwhile.after, from) - from;
            left.work = [this] { work(); };
        }
        m_connection.StorageConnection::runTogether(rest, left);
        m_from = m_runs.size();
    }

    void deliver(size_t i, Result& result, const Grouped& call) {
        m_statements[i]->takeResult(std::move(result), call.named);
        if (m_runs[i].done)
            m_runs[i].done(*m_statements[i]);
        m_statements[i]->reset();
    }

    std::function<void(std::vector<Result>&)> answered() {
        return [this](std::vector<Result>& answers) {
            for (size_t j = 0; j < answers.size(); ++j)
                deliver(m_from + j, answers[j], m_calls[j]);
            m_delivered = answers.size();
            m_connection.m_answering = true;
            const auto stillAnswering = qScopeGuard([this] { m_connection.m_answering = false; });
            work();
        };
    }

    // Sends the runs from `from` on in one pipeline; false when they went one by one instead.
    bool send() {
        m_workAfterSending = !m_worked && m_from >= m_meanwhile.after;
        m_calls.clear();
        for (size_t i = m_from; i < m_runs.size(); ++i) {
            for (size_t v = 0; v < m_runs[i].values.size(); ++v)
                m_statements[i]->bind(int(v) + 1, m_runs[i].values[v]);
            try {
                m_statements[i]->refuseUnsendable();
            } catch (const StatementRefused&) {
                // Rare enough to send the rest one by one, where each refusal is told alone.
                m_statements[i]->reset();
                m_workAfterSending = false;
                for (size_t k = m_from; k < i; ++k)
                    m_statements[k]->notMade(m_calls[k - m_from].named);
                oneByOne(m_from);
                return false;
            }
            m_calls.push_back(m_statements[i]->grouped());
            m_statements[i]->reset();
        }
        m_delivered = 0;
        m_pipeline = Pipeline();
        const size_t early = m_worked || m_workAfterSending ? 0 : m_meanwhile.after - m_from;
        if (!m_connection.sendPipelined(m_calls, early, m_pipeline)) {
            m_workAfterSending = false;
            for (size_t i = m_from; i < m_runs.size(); ++i)
                m_statements[i]->notMade(m_calls[i - m_from].named);
            oneByOne(m_from);
            return false;
        }
        return true;
    }

    // Tells the runs whose answers came; the runs sent after a refused one were not made.
    void takeResults() {
        std::vector<Result> results = m_connection.endPipelined(m_pipeline);
        for (size_t j = m_delivered; j < results.size(); ++j) {
            const size_t i = m_from + j;
            Result& result = results[j];
            if (succeeded(result.get())) {
                deliver(i, result, m_calls[j]);
                continue;
            }
            for (size_t k = j; k < m_calls.size(); ++k)
                m_statements[m_from + k]->notMade(m_calls[k].named);
            try {
                m_connection.raise(result.get(), m_statements[i]->sql());
            } catch (const StatementRefused& refusal) {
                if (!m_runs[i].refused)
                    throw;
                m_runs[i].refused(refusal);
            }
        }
        m_from += results.size();
    }

    PostgresConnection& m_connection;
    std::vector<GroupedRun>& m_runs;
    std::vector<PostgresStatement*> m_statements;
    Meanwhile m_meanwhile;
    bool m_worked;
    bool m_workAfterSending = false;
    size_t m_from = 0;
    std::vector<Grouped> m_calls;
    size_t m_delivered = 0; // of the runs sent, those told with the early answers
    Pipeline m_pipeline;
};

// Each run costs a round trip to the server when sent alone, more than the server's own work on
// a short statement. Inside a transaction the runs of a group go in one pipeline; outside one,
// a pipeline would make them one transaction, so they go one by one.
void PostgresConnection::runTogether(std::vector<GroupedRun>& runs, const Meanwhile& meanwhile) {
    refuseWhileAnswering();
    std::vector<PostgresStatement*> statements;
    for (const GroupedRun& run : runs) {
        auto* statement = dynamic_cast<PostgresStatement*>(run.statement);
        if (!statement) {
            StorageConnection::runTogether(runs, meanwhile);
            return;
        }
        statements.push_back(statement);
    }
    reconnectIfLost();
    // A single run goes alone, unless there is work to do while the server makes it.
    const bool workWhileFirst = meanwhile.work && meanwhile.after == 0;
    if (!m_inTransaction || (runs.size() < 2 && !workWhileFirst)) {
        StorageConnection::runTogether(runs, meanwhile);
        return;
    }
    GroupAnswering(*this, runs, std::move(statements), meanwhile).answer();
}

bool PostgresConnection::sendPipelined(const std::vector<Grouped>& calls, size_t early,
                                       Pipeline& pipeline) {
    if (!PQenterPipelineMode(m_handle))
        return false;
    bool& sending = pipeline.sending;
    for (const Grouped& grouped : calls) {
        // The server keeps its answers until the pipeline's end unless asked for them: the
        // early ones are asked for, so that the work can start while it makes the rest.
        if (pipeline.sent.size() == early && early > 0)
            sending = sending && PQsendFlushRequest(m_handle);
        Pipeline::Sent one;
        if (m_savepointStale || m_savepointMissing) {
            if (!m_savepointMissing) {
                sending = sending && PQsendQueryParams(m_handle, ReleaseSavepoint, 0, nullptr,
                                                       nullptr, nullptr, nullptr, 0);
                ++one.moves;
            }
            sending = sending && PQsendQueryParams(m_handle, SetSavepoint, 0, nullptr, nullptr,
                                                   nullptr, nullptr, 0);
            ++one.moves;
            m_savepointStale = false;
            m_savepointMissing = false;
        }
        const SendArrays arrays(grouped.parameters);
        const Named* named = grouped.named ? &*grouped.named : nullptr;
        sending = sending && sendStatement(arrays.call(*grouped.sql, named));
        one.own = named && named->parse ? 2 : 1;
        if (!grouped.reads)
            m_savepointStale = true;
        pipeline.sent.push_back(one);
    }
    sending = sending && PQpipelineSync(m_handle);
    // libpq sends what it holds only as its buffer fills: the rest goes now, so that the server
    // works on every run while the early answers are read.
    sending = sending && PQflush(m_handle) == 0;

    pipeline.early = std::min(early, pipeline.sent.size());
    for (size_t k = 0; k < pipeline.early; ++k)
        pipeline.earlyAnswers += size_t(pipeline.sent[k].moves + pipeline.sent[k].own);
    return true;
}

void PostgresConnection::readPipelined(Pipeline& pipeline,
                                       const std::function<void(std::vector<Result>&)>& answered) {
    // Every query gives one result (its own, or "aborted" after a failed one) and a null; the
    // sync ends the pipeline. A connection lost on the way gives nulls from then on.
    // Work that fails while the answers come still lets every answer in, so that the
    // connection leaves the pipeline ready for the rollback that follows.
    while (pipeline.sending) {
        Result one(PQgetResult(m_handle));
        if (!one) {
            if (++pipeline.nullsInARow > 1 || PQstatus(m_handle) != CONNECTION_OK)
                break;
            continue;
        }
        pipeline.nullsInARow = 0;
        if (PQresultStatus(one.get()) == PGRES_PIPELINE_SYNC)
            break;
        pipeline.answers.push_back(std::move(one));
        if (pipeline.early == 0 || pipeline.answers.size() != pipeline.earlyAnswers || !answered)
            continue;
        const size_t early = std::exchange(pipeline.early, 0);
        const bool allMade =
            std::all_of(pipeline.answers.begin(), pipeline.answers.end(),
                        [](const Result& answer) { return succeeded(answer.get()); });
        if (!allMade)
            continue;
        std::vector<Result> first;
        for (size_t k = 0; k < early; ++k) {
            const Pipeline::Sent& sent = pipeline.sent[k];
            pipeline.next += size_t(sent.moves + sent.own - 1);
            first.push_back(std::move(pipeline.answers[pipeline.next++]));
        }
        pipeline.answeredEarly = early;
        try {
            answered(first);
        } catch (...) {
            pipeline.failed = std::current_exception();
        }
    }
    pipeline.sending = false;
}

std::vector<PostgresConnection::Result> PostgresConnection::endPipelined(Pipeline& pipeline) {
    PQexitPipelineMode(m_handle);
    if (pipeline.failed)
        std::rethrow_exception(std::exchange(pipeline.failed, {}));
    const auto take = [&]() -> Result {
        return pipeline.next < pipeline.answers.size()
                   ? std::move(pipeline.answers[pipeline.next++])
                   : Result();
    };
    std::vector<Result> results(pipeline.answeredEarly);
    for (size_t k = pipeline.answeredEarly; k < pipeline.sent.size(); ++k) {
        const Pipeline::Sent& one = pipeline.sent[k];
        for (int move = 0; move < one.moves; ++move) {
            Result moved = take();
            if (!moved || PQresultStatus(moved.get()) != PGRES_COMMAND_OK) {
                backToSavepoint();
                m_savepointStale = false;
                raise(moved.get(), u"Marking the transaction"_s);
            }
        }
        // Of the run's own queries the first that failed tells, else the last.
        Result statement;
        for (int query = 0; query < one.own; ++query) {
            Result answer = take();
            if (!statement || succeeded(statement.get()))
                statement = std::move(answer);
        }
        if (statement && succeeded(statement.get())) {
            results.push_back(std::move(statement));
            continue;
        }
        if (PQstatus(m_handle) != CONNECTION_OK || !statement)
            raise(statement.get(), u"Sending statements"_s);
        backToSavepoint();
        m_savepointStale = false;
        results.push_back(std::move(statement));
        return results;
    }
    collectNotices();
    return results;
}

} // namespace tovin
