#include "core/settings/KeyringPasswordStore.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// The passwords of shared catalogues in a real desktop keyring: a session bus and a keyring
// daemon of the test's own, in a home folder of its own, so that nothing of the user's is read
// or kept. Before they start, the bus named in the environment leads nowhere: the store then
// keeps nothing and says so, and writes no file in its stead.
class KeyringPasswordStoreTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    QProcess m_bus;

    // Every file under the test's home folder.
    QStringList homeFiles() const {
        QStringList files;
        for (QDirIterator it(m_home.path(), QDir::Files | QDir::Hidden,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            files << it.next();
        return files;
    }

    // The bus daemon's first line of output (its address), or an empty text when it says none.
    static QString firstLine(QProcess& process) {
        while (!process.canReadLine() && process.waitForReadyRead(10000)) {
        }
        return QString::fromUtf8(process.readLine()).trimmed();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(u"data"_s)));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(u"config"_s)));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_home.path()));
        qputenv("DBUS_SESSION_BUS_ADDRESS",
                "unix:path=" + QFile::encodeName(m_home.filePath(u"no-bus"_s)));
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    }

    void withoutAKeyringNothingIsKept() {
        KeyringPasswordStore store;
        const std::optional<QString> refusal =
            store.write(u"postgresql://clerk@shop/db"_s, u"secret"_s);
        QVERIFY(refusal.has_value());
        QVERIFY(!refusal->isEmpty());
        QCOMPARE(store.read(u"postgresql://clerk@shop/db"_s), std::nullopt);
        // No plain file took the keyring's place.
        QCOMPARE(homeFiles(), QStringList());
    }

    void keyringStarts() {
        const QString bus = QStandardPaths::findExecutable(u"dbus-daemon"_s);
        const QString daemon = QStandardPaths::findExecutable(u"gnome-keyring-daemon"_s);
        QVERIFY2(!bus.isEmpty() && !daemon.isEmpty(),
                 "dbus-daemon and gnome-keyring-daemon are needed (scripts/install-deps.sh)");
        m_bus.start(bus, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
        const QString address = firstLine(m_bus);
        QVERIFY2(!address.isEmpty(), m_bus.readAllStandardError().constData());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
        // A new login keyring, unlocked with the password the daemon reads from its input.
        // The daemon goes on in the background and leaves with the bus.
        QProcess keyring;
        keyring.start(daemon, {u"--unlock"_s, u"--components=secrets"_s});
        QVERIFY(keyring.waitForStarted());
        keyring.write("test-keyring");
        keyring.closeWriteChannel();
        QVERIFY(keyring.waitForFinished(20000));
        QVERIFY2(keyring.exitCode() == 0, keyring.readAllStandardError().constData());
    }

    void passwordsAreKeptUnderTheirAddress_data() {
        QTest::addColumn<QString>("password");
        QTest::newRow("plain") << u"counter-2"_s;
        QTest::newRow("letters beyond ASCII and spaces") << u"Kaffee & Tee für 5 €"_s;
        QTest::newRow("quotes and backslash") << u"a'b\"c\\d"_s;
    }
    void passwordsAreKeptUnderTheirAddress() {
        QFETCH(QString, password);
        const QString first = u"postgresql://clerk@shop.example/catalogue"_s;
        const QString second = u"postgresql://owner@shop.example/catalogue"_s;
        KeyringPasswordStore store;
        const std::optional<QString> refusal = store.write(first, password);
        QVERIFY2(!refusal, qPrintable(refusal.value_or(QString())));
        QCOMPARE(store.write(second, u"other"_s), std::nullopt);
        QCOMPARE(store.read(first), std::optional<QString>(password));
        QCOMPARE(store.read(second), std::optional<QString>(u"other"_s));
        // A password typed anew takes the old one's place.
        QCOMPARE(store.write(first, password + u'!'), std::nullopt);
        QCOMPARE(KeyringPasswordStore().read(first), std::optional<QString>(password + u'!'));
        store.forget(first);
        QCOMPARE(store.read(first), std::nullopt);
        QCOMPARE(store.read(second), std::optional<QString>(u"other"_s));
        store.forget(second);
        QCOMPARE(store.read(second), std::nullopt);
    }

    void cleanupTestCase() {
        if (m_bus.state() != QProcess::NotRunning) {
            m_bus.terminate();
            if (!m_bus.waitForFinished(5000))
                m_bus.kill();
            m_bus.waitForFinished(5000);
        }
    }
};

QTEST_GUILESS_MAIN(KeyringPasswordStoreTest)
#include "tst_keyringpasswordstore.moc"
