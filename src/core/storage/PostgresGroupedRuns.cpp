#include "core/data/CatalogueFailure.h"
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

// How many queries one run sends: the savepoint's moves before it, then its own (making the
// kept statement, running it).
struct Sent {
    int moves = 0;
    int own = 1;
};

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
                                                              const Named* named) const {
    return Call{sql,           int(values.size()), types.data(),
                values.data(), lengths.data(),     formats.data(),
                named};
}

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
    if (!m_inTransaction || runs.size() < 2) {
        StorageConnection::runTogether(runs, meanwhile);
        return;
    }
    bool worked = !meanwhile.work;
    const auto work = [&] {
        if (!std::exchange(worked, true))
            meanwhile.work();
    };
    // The runs from `from` on, one by one.
    const auto oneByOne = [&](size_t from) {
        std::vector<GroupedRun> rest(runs.begin() + qsizetype(from), runs.end());
        Meanwhile left;
        if (!worked) {
            left.after = std::max(meanwhile.after, from) - from;
            left.work = work;
        }
        StorageConnection::runTogether(rest, left);
    };
    const auto deliver = [&](size_t i, Result& result, const Grouped& call) {
        statements[i]->takeResult(std::move(result), call.named);
        if (runs[i].done)
            runs[i].done(*statements[i]);
        statements[i]->reset();
    };
    size_t from = 0;
    while (from < runs.size()) {
        if (from >= meanwhile.after)
            work();
        std::vector<Grouped> calls;
        for (size_t i = from; i < runs.size(); ++i) {
            for (size_t v = 0; v < runs[i].values.size(); ++v)
                statements[i]->bind(int(v) + 1, runs[i].values[v]);
            try {
                statements[i]->refuseUnsendable();
            } catch (const StatementRefused&) {
                // Rare enough to send the rest one by one, where each refusal is told alone.
                statements[i]->reset();
                for (size_t k = from; k < i; ++k)
                    statements[k]->notMade(calls[k - from].named);
                oneByOne(from);
                return;
            }
            calls.push_back(statements[i]->grouped());
            statements[i]->reset();
        }
        const size_t early = worked ? 0 : meanwhile.after - from;
        size_t delivered = 0;
        std::optional<std::vector<Result>> results =
            runPipelined(calls, early, [&](std::vector<Result>& answered) {
                for (size_t j = 0; j < answered.size(); ++j)
                    deliver(from + j, answered[j], calls[j]);
                delivered = answered.size();
                m_answering = true;
                const auto stillAnswering = qScopeGuard([this] { m_answering = false; });
                work();
            });
        if (!results) {
            for (size_t i = from + delivered; i < runs.size(); ++i)
                statements[i]->notMade(calls[i - from].named);
            oneByOne(from + delivered);
            return;
        }
        for (size_t j = delivered; j < results->size(); ++j) {
            const size_t i = from + j;
            Result& result = (*results)[j];
            if (succeeded(result.get())) {
                deliver(i, result, calls[j]);
                continue;
            }
            // The runs sent after the refused one were not made: each goes again.
            for (size_t k = j; k < calls.size(); ++k)
                statements[from + k]->notMade(calls[k].named);
            try {
                raise(result.get(), statements[i]->sql());
            } catch (const StatementRefused& refusal) {
                if (!runs[i].refused)
                    throw;
                runs[i].refused(refusal);
            }
        }
        from += results->size();
    }
    work();
}

std::optional<std::vector<PostgresConnection::Result>>
PostgresConnection::runPipelined(const std::vector<Grouped>& calls, size_t early,
                                 const std::function<void(std::vector<Result>&)>& answered) {
    if (!PQenterPipelineMode(m_handle))
        return std::nullopt;
    std::vector<Sent> sent;
    bool sending = true;
    for (const Grouped& grouped : calls) {
        // The server keeps its answers until the pipeline's end unless asked for them: the
        // early ones are asked for, so that the work can start while it makes the rest.
        if (sent.size() == early && early > 0 && answered)
            sending = sending && PQsendFlushRequest(m_handle);
        Sent one;
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
        sent.push_back(one);
    }
    sending = sending && PQpipelineSync(m_handle);
    // libpq sends what it holds only as its buffer fills: the rest goes now, so that the server
    // works on every run while the early answers are read.
    sending = sending && PQflush(m_handle) == 0;

    early = std::min(early, sent.size());
    size_t earlyAnswers = 0;
    for (size_t k = 0; k < early; ++k)
        earlyAnswers += size_t(sent[k].moves + sent[k].own);

    // Every query gives one result (its own, or "aborted" after a failed one) and a null; the
    // sync ends the pipeline. A connection lost on the way gives nulls from then on.
    std::vector<Result> answers;
    size_t next = 0;
    size_t answeredEarly = 0;
    const auto take = [&]() -> Result {
        return next < answers.size() ? std::move(answers[next++]) : Result();
    };
    // Work that fails while the answers come still lets every answer in, so that the
    // connection leaves the pipeline ready for the rollback that follows.
    std::exception_ptr failed;
    int nullsInARow = 0;
    while (sending) {
        Result one(PQgetResult(m_handle));
        if (!one) {
            if (++nullsInARow > 1 || PQstatus(m_handle) != CONNECTION_OK)
                break;
            continue;
        }
        nullsInARow = 0;
        if (PQresultStatus(one.get()) == PGRES_PIPELINE_SYNC)
            break;
        answers.push_back(std::move(one));
        if (early > 0 && answers.size() == earlyAnswers && answered) {
            const bool allMade =
                std::all_of(answers.begin(), answers.end(),
                            [](const Result& answer) { return succeeded(answer.get()); });
            if (allMade) {
                std::vector<Result> first;
                for (size_t k = 0; k < early; ++k) {
                    for (int query = 0; query < sent[k].moves + sent[k].own - 1; ++query)
                        take();
                    first.push_back(take());
                }
                answeredEarly = early;
                try {
                    answered(first);
                } catch (...) {
                    failed = std::current_exception();
                }
            }
            early = 0;
        }
    }
    PQexitPipelineMode(m_handle);
    if (failed)
        std::rethrow_exception(failed);

    std::vector<Result> results(answeredEarly);
    for (size_t k = answeredEarly; k < sent.size(); ++k) {
        const Sent& one = sent[k];
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
