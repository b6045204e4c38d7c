#include "core/data/CatalogueFailure.h"
#include "core/storage/PostgresConnection.h"
#include "core/storage/PostgresStatement.h"

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
void PostgresConnection::runTogether(std::vector<GroupedRun>& runs) {
    std::vector<PostgresStatement*> statements;
    for (const GroupedRun& run : runs) {
        auto* statement = dynamic_cast<PostgresStatement*>(run.statement);
        if (!statement) {
            StorageConnection::runTogether(runs);
            return;
        }
        statements.push_back(statement);
    }
    reconnectIfLost();
    if (!m_inTransaction || runs.size() < 2) {
        StorageConnection::runTogether(runs);
        return;
    }
    size_t from = 0;
    while (from < runs.size()) {
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
                std::vector<GroupedRun> rest(runs.begin() + qsizetype(from), runs.end());
                StorageConnection::runTogether(rest);
                return;
            }
            calls.push_back(statements[i]->grouped());
            statements[i]->reset();
        }
        std::optional<std::vector<Result>> results = runPipelined(calls);
        if (!results) {
            for (size_t i = from; i < runs.size(); ++i)
                statements[i]->notMade(calls[i - from].named);
            std::vector<GroupedRun> rest(runs.begin() + qsizetype(from), runs.end());
            StorageConnection::runTogether(rest);
            return;
        }
        for (size_t j = 0; j < results->size(); ++j) {
            const size_t i = from + j;
            Result& result = (*results)[j];
            if (succeeded(result.get())) {
                statements[i]->takeResult(std::move(result), calls[j].named);
                if (runs[i].done)
                    runs[i].done(*statements[i]);
                statements[i]->reset();
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
}

std::optional<std::vector<PostgresConnection::Result>>
PostgresConnection::runPipelined(const std::vector<Grouped>& calls) {
    if (!PQenterPipelineMode(m_handle))
        return std::nullopt;
    std::vector<Sent> sent;
    bool sending = true;
    for (const Grouped& grouped : calls) {
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

    // Every query gives one result (its own, or "aborted" after a failed one) and a null; the
    // sync ends the pipeline. A connection lost on the way gives nulls from then on.
    std::vector<Result> answers;
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
    }
    PQexitPipelineMode(m_handle);

    std::vector<Result> results;
    size_t next = 0;
    auto take = [&]() -> Result {
        return next < answers.size() ? std::move(answers[next++]) : Result();
    };
    for (const Sent& one : sent) {
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
