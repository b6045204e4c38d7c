#include "core/catalogue/RecordEditState.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

Q_DECLARE_METATYPE(tovin::MessageAnswer)
Q_DECLARE_METATYPE(tovin::RecordEditState::CloseStep)

namespace {

QString modeOf(const RecordEditState& state) {
    if (state.browsing())
        return u"browse"_s;
    QStringList flags;
    if (state.adding)
        flags << u"adding"_s;
    if (state.editing)
        flags << u"editing"_s;
    return flags.join(u'+');
}

// Runs one step on the state; returns what it tells the screen (a status line, or where the
// record set goes).
QString run(RecordEditState& state, const QString& step) {
    if (step == u"add"_s)
        return state.add();
    if (step == u"edit"_s)
        return state.edit();
    if (step == u"update"_s)
        return state.updated() ? u"to the last row"_s : u"stays"_s;
    if (step == u"cancel"_s) {
        const auto back = state.cancelled();
        return back ? u"to row "_s + QString::number(*back) : u"to the first row"_s;
    }
    if (step == u"refused new row"_s)
        return state.refused(true);
    if (step == u"refused row"_s)
        return state.refused(false);
    if (step.startsWith(u"saved "_s)) {
        state.savedPosition = step.mid(6).toLongLong();
        return {};
    }
    qFatal("unknown step");
}

} // namespace

class RecordEditStateTest : public QObject {
    Q_OBJECT

private slots:
    // Each row: the commands in order, the mode they leave and what the last one tells.
    void transitions_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("told");
        QTest::newRow("add") << QStringList{u"add"_s} << u"adding"_s << u"Add record"_s;
        QTest::newRow("edit") << QStringList{u"edit"_s} << u"editing"_s << u"Edit record"_s;
        QTest::newRow("an added row is shown last once written")
            << QStringList{u"add"_s, u"update"_s} << u"browse"_s << u"to the last row"_s;
        QTest::newRow("an edited row stays once written")
            << QStringList{u"edit"_s, u"update"_s} << u"browse"_s << u"stays"_s;
        QTest::newRow("cancelled add goes back to the saved row")
            << QStringList{u"saved 4"_s, u"add"_s, u"cancel"_s} << u"browse"_s << u"to row 4"_s;
        QTest::newRow("cancelled edit goes back to the row of the last add")
            << QStringList{u"saved 4"_s, u"edit"_s, u"cancel"_s} << u"browse"_s << u"to row 4"_s;
        QTest::newRow("cancel before any add goes to the first row")
            << QStringList{u"edit"_s, u"cancel"_s} << u"browse"_s << u"to the first row"_s;
        QTest::newRow("refused new row while browsing is added again")
            << QStringList{u"refused new row"_s} << u"adding"_s << u"Add record"_s;
        QTest::newRow("refused typed value while browsing is edited")
            << QStringList{u"refused row"_s} << u"editing"_s << u"Edit record"_s;
        QTest::newRow("refused write during an add stays an add")
            << QStringList{u"add"_s, u"refused row"_s} << u"adding"_s << u"Edit record"_s;
        QTest::newRow("refused then written: the new row is shown last")
            << QStringList{u"refused new row"_s, u"update"_s} << u"browse"_s
            << u"to the last row"_s;
        QTest::newRow("refused then cancelled")
            << QStringList{u"refused row"_s, u"cancel"_s} << u"browse"_s << u"to the first row"_s;
    }
    void transitions() {
        QFETCH(QStringList, steps);
        QFETCH(QString, mode);
        QFETCH(QString, told);
        RecordEditState state;
        QString last;
        for (const QString& step : steps)
            last = run(state, step);
        QCOMPARE(modeOf(state), mode);
        QCOMPARE(last, told);
    }

    // The status line after a move, and the buttons that need a row.
    void position_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("rowButtons");
        QTest::newRow("empty set") << -1 << 0 << u"NO CURRENT RECORDS"_s << false;
        QTest::newRow("only row") << 1 << 1 << u"Record: 1  of  1"_s << true;
        QTest::newRow("third of twelve") << 3 << 12 << u"Record: 3  of  12"_s << true;
    }
    void position() {
        QFETCH(int, position);
        QFETCH(int, count);
        QFETCH(QString, status);
        QFETCH(bool, rowButtons);
        QCOMPARE(RecordEditState::positionText(position, count), status);
        QCOMPARE(RecordEditState::rowButtonsEnabled(count), rowButtons);
    }

    // What the answer to the question on closing a screen with an edited row leads to.
    void closeWhileEditing_data() {
        using Step = RecordEditState::CloseStep;
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<Step>("step");
        QTest::newRow("yes saves first") << MessageAnswer::Yes << Step::UpdateThenClose;
        QTest::newRow("no drops the changes") << MessageAnswer::No << Step::CancelThenClose;
        QTest::newRow("cancel keeps the screen") << MessageAnswer::Cancel << Step::StayOpen;
        QTest::newRow("any other answer keeps the screen")
            << MessageAnswer::Abort << Step::StayOpen;
    }
    void closeWhileEditing() {
        QFETCH(MessageAnswer, answer);
        QFETCH(RecordEditState::CloseStep, step);
        QCOMPARE(RecordEditState::closeStep(answer), step);
    }
};

QTEST_GUILESS_MAIN(RecordEditStateTest)
#include "tst_recordeditstate.moc"
