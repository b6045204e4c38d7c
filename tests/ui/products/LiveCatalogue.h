#pragma once

// The demo catalogue open in the window, in a file or on the test cluster, and writes to it that
// bypass the program, so that no open screen hears of them: as another computer's changes are
// missed while the connection to the server is lost.

#include "core/share/CatalogueShare.h"
#include "support/core/TestProgramFolder.h"
#include "support/core/TestServer.h"

#include <QFile>
#include <QTest>
#include <libpq-fe.h>
#include <memory>
#include <sqlite3.h>

namespace tovin::test {

class LiveCatalogue {
public:
    explicit LiveCatalogue(bool server) : m_folder(TestProgramFolder::Catalogue::Demo) {
        if (!server)
            return;
        m_server = std::make_unique<ServerDatabase>();
        CatalogueShare::share(m_folder.cataloguePath(), m_server->uri(), false);
        m_folder.catalogue().path = m_server->uri();
    }

    const TestProgramFolder& folder() const { return m_folder; }

    // Runs the statements on the catalogue through a connection of their own, outside the
    // program; false (and the test failed) when they were refused.
    bool writeUntold(const QString& sql) const {
        const QByteArray text = sql.toUtf8();
        if (m_server) {
            PGconn* connection = PQconnectdb(m_server->uri().toUtf8().constData());
            PGresult* result = PQexec(connection, text.constData());
            const bool done = PQresultStatus(result) == PGRES_COMMAND_OK;
            if (!done)
                qWarning("%s", PQerrorMessage(connection));
            PQclear(result);
            PQfinish(connection);
            return check(done);
        }
        sqlite3* handle = nullptr;
        bool done = sqlite3_open_v2(QFile::encodeName(m_folder.cataloguePath()).constData(),
                                    &handle, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
        if (done) {
            sqlite3_busy_timeout(handle, 5000);
            done = sqlite3_exec(handle, text.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
            if (!done)
                qWarning("%s", sqlite3_errmsg(handle));
        }
        sqlite3_close(handle);
        return check(done);
    }

private:
    static bool check(bool done) {
        if (!done)
            QTest::qFail("a write outside the program was refused", __FILE__, __LINE__);
        return done;
    }

    TestProgramFolder m_folder;
    std::unique_ptr<ServerDatabase> m_server;
};

} // namespace tovin::test
