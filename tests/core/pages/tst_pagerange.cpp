#include "core/pages/PageRange.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using PageRange::Outcome;

Q_DECLARE_METATYPE(PageRange::Outcome)

class PageRangeTest : public QObject {
    Q_OBJECT
private slots:
    // The two answers with 10 as the highest page number; the end is only asked for when the
    // start lets it.
    void answers_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("2 to 5") << u"2"_s << u"5"_s << Outcome::Pages << 2 << 5;
        QTest::newRow("the end may pass the highest")
            << u"10"_s << u"40"_s << Outcome::Pages << 10 << 40;
        QTest::newRow("start 0 ends") << u" 0 "_s << u"5"_s << Outcome::Stop << 0 << 0;
        QTest::newRow("start empty is refused") << u"  "_s << u"5"_s << Outcome::AskAgain << 0 << 0;
        QTest::newRow("below one is page 1") << u"0.5"_s << u"3"_s << Outcome::Pages << 1 << 3;
        QTest::newRow("start above the highest")
            << u"11"_s << u"12"_s << Outcome::AskAgain << 0 << 0;
        QTest::newRow("negative start") << u"-1"_s << u"3"_s << Outcome::AskAgain << 0 << 0;
        QTest::newRow("start a word") << u"two"_s << u"3"_s << Outcome::AskAgain << 0 << 0;
        QTest::newRow("grouped start is a thousand, not 1")
            << u"1,000"_s << u"1,200"_s << Outcome::AskAgain << 0 << 0;
        QTest::newRow("grouped end") << u"2"_s << u"1,000"_s << Outcome::Pages << 2 << 1000;
        QTest::newRow("decimal comma is no number")
            << u"1,5"_s << u"3"_s << Outcome::AskAgain << 0 << 0;
        QTest::newRow("currency sign") << u"$5"_s << u"7"_s << Outcome::Pages << 5 << 7;
        QTest::newRow("end empty ends") << u"2"_s << u""_s << Outcome::Stop << 0 << 0;
        QTest::newRow("end 0 ends") << u"2"_s << u"0"_s << Outcome::Stop << 0 << 0;
        QTest::newRow("end negative") << u"2"_s << u"-3"_s << Outcome::AskAgain << 0 << 0;
        QTest::newRow("largest 16-bit end") << u"1"_s << u"32767"_s << Outcome::Pages << 1 << 32767;
        QTest::newRow("end beyond 16 bits") << u"1"_s << u"32768"_s << Outcome::AskAgain << 0 << 0;
    }
    void answers() {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(Outcome, outcome);
        QFETCH(int, from);
        QFETCH(int, to);
        const Outcome first = PageRange::readStart(start);
        if (first != Outcome::Pages) {
            QCOMPARE(first, outcome);
            return;
        }
        const PageRange::Answer answer = PageRange::read(start, end, 10);
        QCOMPARE(answer.outcome, outcome);
        QCOMPARE(answer.from, from);
        QCOMPARE(answer.to, to);
    }
};

QTEST_GUILESS_MAIN(PageRangeTest)
#include "tst_pagerange.moc"
