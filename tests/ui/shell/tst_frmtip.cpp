#include "core/settings/SettingsStore.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/WidgetFinder.h"
#include "ui/shell/FrmTip.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

class FrmTipTest : public QObject {
    Q_OBJECT
    PromptsInUse m_promptsInUse;

    static QString shownTip(FrmTip* tip) {
        return test::control<QLabel>(tip, u"lblTipText"_s)->text();
    }
    static QString storedSwitch() {
        return SettingsStore::program().value(u"Options"_s, u"Show Tips at Startup"_s, u"<none>"_s);
    }

private slots:
    void tipsFollowTheFileAndWrap_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("shown"); // after the load, then after each Next Tip
        QTest::newRow("three lines")
            << QByteArray("one\ntwo\nthree\n")
            << QStringList{u"one"_s, u"two"_s, u"three"_s, u"one"_s, u"two"_s};
        QTest::newRow("empty line is a tip")
            << QByteArray("one\n\nthree") << QStringList{u"one"_s, QString(), u"three"_s, u"one"_s};
        QTest::newRow("windows line ends")
            << QByteArray("one\r\ntwo\r\n") << QStringList{u"one"_s, u"two"_s, u"one"_s};
        QTest::newRow("one tip") << QByteArray("only") << QStringList{u"only"_s, u"only"_s};
        QTest::newRow("windows-1252 text")
            << QByteArray("caf\xe9 prices\n") << QStringList{u"caf\u00e9 prices"_s};
        // A missing file is no error: the screen explains how to make one.
        const QString missing =
            u"There Was No TIPOFDAY.TXT Found ? \n\nYou Can Create A Text File Named "
            u"TIPOFDAY.TXT Using NotePad With 1 Tip Per Line. Then Place It In The Same "
            u"Directory As The Tovin's Catalog 2000 Application. "_s;
        QTest::newRow("no file") << QByteArray() << QStringList{missing, missing};
    }
    void tipsFollowTheFileAndWrap() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, shown);
        test::TestProgramFolder folder(test::TestProgramFolder::Catalogue::None, false);
        test::ScriptedPrompts prompts(m_promptsInUse); // nothing may be shown
        if (!file.isNull())
            folder.writeFile(u"TIPOFDAY.TXT"_s, file);
        FrmTip tip(m_promptsInUse);
        tip.setAttribute(Qt::WA_DeleteOnClose, false);
        tip.Form_Load();
        QVERIFY(!tip.isUnloaded());
        QStringList seen{shownTip(&tip)};
        while (seen.size() < shown.size()) {
            QTest::mouseClick(test::control<QPushButton>(&tip, u"cmdNextTip"_s), Qt::LeftButton);
            seen << shownTip(&tip);
        }
        QCOMPARE(seen, shown);
    }

    void switchDecidesAtStartup_data() {
        QTest::addColumn<QString>("stored"); // "" when never stored
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("storedAfter");
        QTest::newRow("first start") << QString() << false << true << u"1"_s;
        QTest::newRow("switched on") << u"1"_s << false << true << u"1"_s;
        QTest::newRow("switched off") << u"0"_s << false << false << u"0"_s;
        QTest::newRow("off, asked for from the menu") << u"0"_s << true << true << u"1"_s;
    }
    void switchDecidesAtStartup() {
        QFETCH(QString, stored);
        QFETCH(bool, fromMenu);
        QFETCH(bool, opens);
        QFETCH(QString, storedAfter);
        test::TestProgramFolder folder(test::TestProgramFolder::Catalogue::None, false);
        if (!stored.isEmpty())
            SettingsStore::program().setValue(u"Options"_s, u"Show Tips at Startup"_s, stored);
        QPointer<FrmTip> tip = new FrmTip(m_promptsInUse, fromMenu ? FrmTip::Opened::FromMenu
                                                                   : FrmTip::Opened::AtStartup);
        tip->Form_Load();
        QCOMPARE(!tip->isUnloaded(), opens);
        QCOMPARE(storedSwitch(), storedAfter.isEmpty() ? u"<none>"_s : storedAfter);
        if (opens) { // unticking the box switches tips off at once
            auto* box = test::control<QCheckBox>(tip, u"chkLoadTipsAtStartup"_s);
            QVERIFY(box->isChecked());
            box->click();
            QCOMPARE(storedSwitch(), u"0"_s);
            QTest::mouseClick(test::control<QPushButton>(tip, u"cmdOK"_s), Qt::LeftButton);
        }
        QTRY_VERIFY(!tip); // unloading destroys the screen
    }
};

QTEST_MAIN(FrmTipTest)
#include "tst_frmtip.moc"
