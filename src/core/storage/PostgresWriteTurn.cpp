#include "core/storage/CatalogueFailure.h"
#include "core/storage/PostgresConnection.h"
#include "core/storage/WriterTurn.h"

#include <QElapsedTimer>
#include <libpq-fe.h>
#include <poll.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

// The turn is asked for in the server's queue, so writers get it in the order they asked; the
// answer is watched for in short steps, so the wait ends when the holder is done or its session
// gone, at the limit, or at the user's Cancel, whatever lock_timeout says (that bounds the
// waits for rows inside statements) and whatever statement_timeout a role or database sets (a
// statement that waits is not one that works too long).
void PostgresConnection::waitForWriteTurn() {
    enum class Stop { No, Limit, Cancelled } stop = Stop::No;
    if (m_lockWaitMs > 0) {
        if (m_lockNotice)
            m_lockNotice();
        WriterTurn::waitStarted(m_lockWaitMs);
        const quint64 cancels = WriterTurn::cancelCount();
        const QByteArray sql = "SET LOCAL lock_timeout = 0; SET LOCAL statement_timeout = 0; "
                               "SELECT pg_advisory_xact_lock(" +
                               QByteArray::number(WriteTurnKey) +
                               "); SET LOCAL lock_timeout = " + lockTimeout() +
                               "; SET LOCAL statement_timeout TO DEFAULT";
        QElapsedTimer timer;
        timer.start();
        bool sent = PQsendQuery(m_handle, sql.constData()) == 1;
        while (sent && PQconsumeInput(m_handle) && PQisBusy(m_handle)) {
            const qint64 left = m_lockWaitMs - timer.elapsed();
            if (WriterTurn::cancelCount() != cancels || left <= 0) {
                stop = left <= 0 ? Stop::Limit : Stop::Cancelled;
                cancelStatement();
                break;
            }
            pollfd socket{PQsocket(m_handle), POLLIN, 0};
            ::poll(&socket, 1, int(qMin<qint64>(left, 150)));
        }
        Result failed;
        for (Result one(sent ? PQgetResult(m_handle) : nullptr); one;
             one.reset(PQgetResult(m_handle)))
            if (!failed && !succeeded(one.get()))
                failed.reset(one.release());
        // A turn that came just as the wait was given up is kept; a connection lost meanwhile
        // fails the transaction.
        if (sent && !failed && PQstatus(m_handle) == CONNECTION_OK)
            return;
        if (stop == Stop::No || PQstatus(m_handle) != CONNECTION_OK) {
            if (PQstatus(m_handle) == CONNECTION_OK)
                const Result undone(PQexec(m_handle, "ROLLBACK"));
            raise(failed.get(), u"Waiting for the turn to write"_s);
        }
    }
    if (PQstatus(m_handle) == CONNECTION_OK)
        const Result undone(PQexec(m_handle, "ROLLBACK"));
    throw CatalogueFailure(ErrorNumber::DatabaseRefused,
                           stop == Stop::Cancelled ? WriterTurn::cancelledText()
                                                   : WriterTurn::gaveUpText(m_lockWaitMs));
}

void PostgresConnection::cancelStatement() {
    if (PGcancel* cancel = PQgetCancel(m_handle)) {
        char reason[256];
        PQcancel(cancel, reason, int(sizeof reason));
        PQfreeCancel(cancel);
    }
}

} // namespace tovin
