#include "core/settings/SettingsStore.h"
#include "core/shell/ErrorReporting.h"
#include "support/core/ScriptedPrompts.h"

#include <QRegularExpression>
#include <QTest>
#include <stdexcept>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

class ErrorReportingTest : public QObject {
    Q_OBJECT
    PromptsInUse m_promptsInUse;
private slots:
    void failingStepDoesNotStopTheNext_data() {
        QTest::addColumn<int>("errorNumber");
        QTest::addColumn<bool>("shown");
        QTest::newRow("missing file shows one message per step") << 53 << true;
        QTest::newRow("type mismatch is silent") << 13 << false;
        QTest::newRow("overflow is silent") << 6 << false;
        QTest::newRow("no current record is silent") << 3021 << false;
    }
    void failingStepDoesNotStopTheNext() {
        QFETCH(int, errorNumber);
        QFETCH(bool, shown);
        test::ScriptedPrompts prompts(m_promptsInUse);
        if (shown)
            prompts.answerMessage(MessageAnswer::Ok).answerMessage(MessageAnswer::Ok);
        QStringList ran;
        // Shown or not, each error goes to the log as a warning.
        for (int i = 0; i < 2; ++i)
            QTest::ignoreMessage(
                QtWarningMsg, QRegularExpression(u"^\\(Form\\) Catagory::Sub cmdUpdate_Click "_s +
                                                 QString::number(errorNumber) + u" failed$"_s));
        StepGuard step(u"(Form) Catagory::Sub cmdUpdate_Click"_s, m_promptsInUse);
        step([&] { ran << u"first"_s; });
        step([&] { throw RunTimeError(errorNumber, u"failed"_s); });
        step([&] { ran << u"third"_s; });
        step([&] { throw RunTimeError(errorNumber, u"failed"_s); });
        QCOMPARE(ran, (QStringList{u"first"_s, u"third"_s}));
        QCOMPARE(step.failures(), 2);
        QCOMPARE(step.lastError()->number(), errorNumber);
        QCOMPARE(prompts.shown().size(), shown ? 2 : 0);
        for (const auto& message : prompts.shown()) {
            QCOMPARE(message.text, u"Can't Find The File!\nMake Sure ALL Necessary Files Are In "
                                   u"The Tovin Folder!"_s);
            QCOMPARE(message.icon, MessageIcon::Critical);
            QCOMPARE(message.buttons, MessageButtons::Ok);
            QCOMPARE(message.title, SettingsStore::ApplicationTitle);
        }
    }

    // Both guards below show nothing: any message would fail the scripted prompts.
    void ignoreAndResumeNeverShows() {
        test::ScriptedPrompts prompts(m_promptsInUse);
        int ran = 0;
        StepGuard step(u"(Form) frmMain::Sub mnuFileClose_Click"_s, ErrorStyle::IgnoreAndResume);
        step([] { throw RunTimeError(ErrorNumber::FileNotFound, u"gone"_s); });
        step([&] { ++ran; });
        QCOMPARE(ran, 1);
        QVERIFY(prompts.shown().isEmpty());
    }

    // A C++ exception that is not a RunTimeError is a fault of the program: the handler goes
    // on and the user sees nothing, but it is logged as a warning and fails the running test.
    void foreignExceptionsAreContained() {
        test::ScriptedPrompts prompts(m_promptsInUse);
        int ran = 0;
        StepGuard step(tovin::formLabel(u"Catagory"_s, u"cmdUpdate_Click"_s), m_promptsInUse);
        QCOMPARE(step.label(), u"(Form) Catagory::Sub cmdUpdate_Click"_s);
        for (const char* what : {"disk on fire", "Unknown error"})
            QTest::ignoreMessage(
                QtWarningMsg, qPrintable(u"(Form) Catagory::Sub cmdUpdate_Click program fault: "_s +
                                         QString::fromLatin1(what)));
        QEXPECT_FAIL("", "a program fault fails the test that meets it", Continue);
        step([] { throw std::runtime_error("disk on fire"); });
        QEXPECT_FAIL("", "also one that is not even an exception class", Continue);
        step([] { throw 42; });
        step([&] { ++ran; });
        QCOMPARE(ran, 1);
        QCOMPARE(step.failures(), 2);
        QVERIFY(prompts.shown().isEmpty());
    }
};

QTEST_GUILESS_MAIN(ErrorReportingTest)
#include "tst_errorreporting.moc"
