#include "core/shell/ErrorReporting.h"
#include "core/shell/SettingsStore.h"
#include "support/core/ScriptedPrompts.h"

#include <QTest>
#include <stdexcept>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

class ErrorReportingTest : public QObject {
    Q_OBJECT
private slots:
    void failingStepDoesNotStopTheNext_data() {
        QTest::addColumn<int>("errorNumber");
        QTest::addColumn<int>("messagesShown");
        QTest::newRow("missing file shows one message") << 53 << 1;
        QTest::newRow("type mismatch is silent") << 13 << 0;
        QTest::newRow("overflow is silent") << 6 << 0;
        QTest::newRow("no current record is silent") << 3021 << 0;
    }
    void failingStepDoesNotStopTheNext() {
        QFETCH(int, errorNumber);
        QFETCH(int, messagesShown);
        test::ScriptedPrompts prompts;
        for (int i = 0; i < messagesShown; ++i)
            prompts.answerMessage(MessageAnswer::Ok);
        QStringList ran;
        StepGuard step(u"(Form) Catagory::Sub cmdUpdate_Click"_s);
        step([&] { ran << u"first"_s; });
        step([&] { throw RunTimeError(errorNumber, u"failed"_s); });
        step([&] { ran << u"third"_s; });
        QCOMPARE(ran, (QStringList{u"first"_s, u"third"_s}));
        QCOMPARE(step.failures(), 1);
        QCOMPARE(step.lastError()->number(), errorNumber);
        QCOMPARE(prompts.shown().size(), messagesShown);
    }

    void missingFileMessageIsExact() {
        test::ScriptedPrompts prompts;
        prompts.answerMessage(MessageAnswer::Ok).answerMessage(MessageAnswer::Ok);
        StepGuard step(u"(Form) Products::Sub ShowPicture"_s);
        step([] { throw RunTimeError(ErrorNumber::FileNotFound, u"File not found"_s); });
        step([] { throw RunTimeError(ErrorNumber::FileNotFound, u"File not found"_s); });
        QCOMPARE(prompts.shown().size(), 2); // exactly one message per failing step
        const auto& shown = prompts.shown().first();
        QCOMPARE(shown.text,
                 u"Can't Find The File!\nMake Sure ALL Necessary Files Are In The Tovin Folder!"_s);
        QCOMPARE(shown.icon, MessageIcon::Critical);
        QCOMPARE(shown.buttons, MessageButtons::Ok);
        QCOMPARE(shown.title, SettingsStore::ApplicationTitle);
    }

    void ignoreAndResumeNeverShows() {
        test::ScriptedPrompts prompts; // nothing scripted: any message fails the test
        int ran = 0;
        StepGuard step(u"(Form) frmMain::Sub mnuFileClose_Click"_s, ErrorStyle::IgnoreAndResume);
        step([] { throw RunTimeError(ErrorNumber::FileNotFound, u"gone"_s); });
        step([&] { ++ran; });
        QCOMPARE(ran, 1);
        QVERIFY(prompts.shown().isEmpty());
    }

    void foreignExceptionsAreContained() {
        test::ScriptedPrompts prompts;
        int ran = 0;
        StepGuard step(u"(Module) Module::Sub Main"_s);
        step([] { throw std::runtime_error("disk on fire"); });
        step([] { throw 42; });
        step([&] { ++ran; });
        QCOMPARE(ran, 1);
        QCOMPARE(step.failures(), 2);
        QVERIFY(prompts.shown().isEmpty());
    }

    void formLabel() {
        QCOMPARE(tovin::formLabel(u"Catagory"_s, u"cmdUpdate_Click"_s),
                 u"(Form) Catagory::Sub cmdUpdate_Click"_s);
    }
};

QTEST_GUILESS_MAIN(ErrorReportingTest)
#include "tst_errorreporting.moc"
