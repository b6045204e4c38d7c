#include "core/base/Prompts.h"
#include "support/core/ScriptedPrompts.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// The test double every screen test relies on: it must answer in order, record what was shown
// and refuse prompts nobody expected.
class ScriptedPromptsTest : public QObject {
    Q_OBJECT
    PromptsInUse m_promptsInUse;
private slots:
    void answersInOrderAndRecords() {
        test::ScriptedPrompts prompts(m_promptsInUse);
        prompts.answerMessage(MessageAnswer::Yes)
            .answerInput(u"7"_s)
            .answerOpenFile(u"/tmp/list.txt"_s)
            .answerColor(RgbColor{255, 0, 0});
        Prompts& p = *m_promptsInUse.current;
        QCOMPARE(p.message(u"Receive?"_s, MessageButtons::YesNo, MessageIcon::Question,
                           u"Receive Order"_s),
                 MessageAnswer::Yes);
        QCOMPARE(p.input(u"Enter How Many You Sold Below"_s, u"Sold Item"_s, u"10"_s), u"7"_s);
        QCOMPARE(p.openFile({u"*.*"_s, u"Text|*.txt"_s, {}, {}}), u"/tmp/list.txt"_s);
        QCOMPARE(p.chooseColor({}), (std::optional<RgbColor>(RgbColor{255, 0, 0})));
        QCOMPARE(prompts.shown().size(), 4);
        QCOMPARE(prompts.shown().at(1).defaultText, u"10"_s);
        QCOMPARE(prompts.shown().at(2).request.filter, u"Text|*.txt"_s);
        // Cancelled boxes give empty text or nothing.
        prompts.answerInput(QString()).answerSaveFile(QString()).answerFont(std::nullopt);
        QCOMPARE(p.input(u"Name?"_s, {}, u"x"_s), QString());
        QCOMPARE(p.saveFile({}), QString());
        QVERIFY(!p.chooseFont({}).has_value());
        QCOMPARE(prompts.unanswered(), 0);
    }

    void installsAndRestores() {
        Prompts* before = m_promptsInUse.current;
        {
            test::ScriptedPrompts prompts(m_promptsInUse);
            QCOMPARE(m_promptsInUse.current, &prompts);
        }
        QCOMPARE(m_promptsInUse.current, before);
    }
};

QTEST_GUILESS_MAIN(ScriptedPromptsTest)
#include "tst_scriptedprompts.moc"
