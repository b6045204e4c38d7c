#include "core/settings/SettingsStore.h"
#include "support/core/TestProgramFolder.h"

#include <QImage>
#include <QProcess>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// The whole start-up of the windowed program, driven through its hidden picture options.
class CliStartupTest : public QObject {
    Q_OBJECT

private slots:
    void startsOpensAScreenAndTakesAPicture_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("tipsSwitch");
        QTest::addColumn<QString>("complaint"); // "" when stderr must not complain
        QTest::newRow("supplier screen, tips off") << u"frmSupplier"_s << u"0"_s << QString();
        QTest::newRow("unknown screen")
            << u"frmNothing"_s << u"0"_s << u"there is no screen named frmNothing"_s;
        // The modal tip of the day must not keep the program from ending.
        QTest::newRow("tips on") << u"frmSupplier"_s << u"1"_s << QString();
    }
    void startsOpensAScreenAndTakesAPicture() {
        QFETCH(QString, screen);
        QFETCH(QString, tipsSwitch);
        QFETCH(QString, complaint);
        test::TestProgramFolder folder(test::TestProgramFolder::Catalogue::Demo);
        {
            SettingsStore settings(folder.settingsFile());
            settings.setValue(u"Settings"_s, u"MainWidth"_s, u"9000"_s);
            settings.setValue(u"Settings"_s, u"MainHeight"_s, u"6750"_s);
            settings.setValue(u"Options"_s, u"Show Tips at Startup"_s, tipsSwitch);
        }
        const QString picture = folder.filePath(u"shot.png"_s);
        QProcess p;
        p.start(QStringLiteral(TOVIN_APP_BINARY),
                {u"--app-folder"_s, folder.path(), u"--settings"_s, folder.settingsFile(),
                 u"--open-screen"_s, screen, u"--screenshot"_s, picture, u"--quit-after-ms"_s,
                 u"300"_s});
        QVERIFY(p.waitForFinished(60000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(p.exitCode(), 0);
        if (complaint.isEmpty())
            QVERIFY2(!err.contains(u"tovin-catalog:"_s), qPrintable(err));
        else
            QVERIFY2(err.contains(complaint), qPrintable(err));
        const QImage image(picture);
        QCOMPARE(image.size(), QSize(600, 450)); // the stored window size, 15 twips a pixel
        // Exit through the picture option ends at once: the window's settings are not saved.
        SettingsStore after(folder.settingsFile());
        QVERIFY(!after.contains(u"Settings"_s, u"DBName"_s));
    }

    void badPictureDelayIsRefused() {
        QProcess p;
        p.start(QStringLiteral(TOVIN_APP_BINARY), {u"--quit-after-ms"_s, u"soon"_s});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardError().contains("milliseconds"));
    }
};

QTEST_MAIN(CliStartupTest)
#include "tst_cli_startup.moc"
