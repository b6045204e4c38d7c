#include "core/settings/SettingsStore.h"
#include "support/core/CliRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

// Where the per-user settings live: ~/.config/tovin-catalog/tovin-catalog.conf, taking over the
// file earlier versions kept under the window's title once, and never over a newer file.
class SettingsFileTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;

    QString newFile() const { return m_config.filePath(u"tovin-catalog/tovin-catalog.conf"_s); }
    QString oldFile() const {
        return m_config.filePath(u"Tovin Catalog 2003 Demo/Tovin Catalog 2003 Demo.ini"_s);
    }

private slots:
    void init() {
        QVERIFY(m_config.isValid());
        QDir(m_config.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_config.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        qunsetenv("TOVIN_SETTINGS_FILE");
    }

    void fileInUse_data() {
        QTest::addColumn<QByteArray>("oldText"); // empty: no such file
        QTest::addColumn<QByteArray>("newText");
        QTest::addColumn<QString>("override"); // TOVIN_SETTINGS_FILE, in the config folder
        QTest::addColumn<QString>("used");     // "new", "old" or the override
        QTest::addColumn<QByteArray>("oldAfter");
        QTest::addColumn<QByteArray>("newAfter");
        QTest::addColumn<QString>("reads"); // DBName as the store reads it
        const QByteArray old = "[Settings]\nDBName=/srv/old.mde\n";
        // Each row's file differs in length from the rows before it: Qt keeps a settings file
        // it has read for the process and reads it again only when its size or time changed,
        // and a file written within the same clock tick as the last row's keeps its time.
        const QByteArray kept = "[Settings]\nDBName=/srv/newer.mde\n";
        QTest::newRow("old only: moved") << old << QByteArray() << QString() << u"new"_s
                                         << QByteArray() << old << u"/srv/old.mde"_s;
        QTest::newRow("both: the new kept, the old untouched")
            << old << kept << QString() << u"new"_s << old << kept << u"/srv/newer.mde"_s;
        QTest::newRow("neither: made at the new place")
            << QByteArray() << QByteArray() << QString() << u"new"_s << QByteArray()
            << QByteArray("[Settings]\nDBName=/srv/shop.mde\n") << QString();
        QTest::newRow("override: used, the old file stays")
            << old << QByteArray() << u"mine.ini"_s << u"mine.ini"_s << old << QByteArray()
            << QString();
    }
    void fileInUse() {
        QFETCH(QByteArray, oldText);
        QFETCH(QByteArray, newText);
        QFETCH(QString, override);
        QFETCH(QString, used);
        QFETCH(QByteArray, oldAfter);
        QFETCH(QByteArray, newAfter);
        QFETCH(QString, reads);
        if (!oldText.isEmpty())
            writeTestFile(oldFile(), oldText);
        if (!newText.isEmpty())
            writeTestFile(newFile(), newText);
        if (!override.isEmpty())
            qputenv("TOVIN_SETTINGS_FILE", QFile::encodeName(m_config.filePath(override)));
        const QString expected = used == u"new"_s   ? newFile()
                                 : used == u"old"_s ? oldFile()
                                                    : m_config.filePath(used);
        {
            SettingsStore store;
            QCOMPARE(store.filePath(), expected);
            QCOMPARE(store.value(u"Settings"_s, u"DBName"_s, QString()), reads);
            if (oldText.isEmpty() && newText.isEmpty()) {
                store.setValue(u"Settings"_s, u"DBName"_s, u"/srv/shop.mde"_s);
                store.sync();
            }
        }
        QCOMPARE(fileBytes(oldFile()), oldAfter);
        QCOMPARE(fileBytes(newFile()), newAfter);
        // A moved file leaves no empty folder behind.
        if (oldAfter.isEmpty() && !oldText.isEmpty())
            QVERIFY(!QFileInfo::exists(QFileInfo(oldFile()).absolutePath()));
    }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "tst_settingsfile.moc"
