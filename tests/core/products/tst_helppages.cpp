#include "core/products/HelpPages.h"

#include <QHash>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {
// "next next first": the moves in the order the keys are pressed.
QList<HelpPages::Move> parseMoves(const QString& words) {
    static const QHash<QString, HelpPages::Move> byWord{{u"first"_s, HelpPages::Move::First},
                                                        {u"previous"_s, HelpPages::Move::Previous},
                                                        {u"next"_s, HelpPages::Move::Next},
                                                        {u"last"_s, HelpPages::Move::Last}};
    QList<HelpPages::Move> list;
    for (const QString& word : words.split(u' ', Qt::SkipEmptyParts))
        list << byWord.value(word);
    return list;
}
} // namespace

class HelpPagesTest : public QObject {
    Q_OBJECT
private slots:
    // Each move goes from the page the one before it showed, as the navigation keys do.
    void movesStopAtEitherEnd_data() {
        QTest::addColumn<QString>("moves");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("status");
        const QString demo = u"Help/demo.htm"_s;
        const QString demoStatus = u"Demo Main Page"_s;
        QTest::newRow("nothing moved: the demo page") << QString() << -1 << demo << demoStatus;
        QTest::newRow("next from the demo page")
            << u"next"_s << 0 << u"Help/intro0.htm"_s << u"Page Number: 1"_s;
        QTest::newRow("next twice")
            << u"next next"_s << 1 << u"Help/intro1.htm"_s << u"Page Number: 2"_s;
        QTest::newRow("previous on the demo page stays")
            << u"previous"_s << -1 << demo << demoStatus;
        QTest::newRow("next and back") << u"next previous"_s << -1 << demo << demoStatus;
        QTest::newRow("last") << u"last"_s << 6 << u"Help/intro6.htm"_s << u"Page Number: 7"_s;
        QTest::newRow("next on the last page stays")
            << u"last next"_s << 6 << u"Help/intro6.htm"_s << u"Page Number: 7"_s;
        QTest::newRow("previous from the last")
            << u"last previous"_s << 5 << u"Help/intro5.htm"_s << u"Page Number: 6"_s;
        QTest::newRow("first from inside") << u"next next first"_s << -1 << demo << demoStatus;
    }
    void movesStopAtEitherEnd() {
        QFETCH(QString, moves);
        QFETCH(int, number);
        QFETCH(QString, page);
        QFETCH(QString, status);
        HelpPages pages;
        for (HelpPages::Move move : parseMoves(moves))
            pages.showPage(pages.target(move));
        QCOMPARE(pages.number(), number);
        QCOMPARE(pages.address(u"/app/"_s), u"/app/"_s + page);
        QCOMPARE(pages.status(), status);
    }

    void helpFollowsTheProducts_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("filtered");
        QTest::addColumn<bool>("active");
        QTest::newRow("empty catalogue") << 0 << false << true;
        QTest::newRow("search that matched nothing") << 0 << true << false;
        QTest::newRow("one product") << 1 << false << false;
        QTest::newRow("search with matches") << 3 << true << false;
    }
    void helpFollowsTheProducts() {
        QFETCH(int, count);
        QFETCH(bool, filtered);
        QFETCH(bool, active);
        HelpPages pages;
        pages.setActive(!active);
        pages.followProducts(count, filtered);
        QCOMPARE(pages.active(), active);
    }
};

QTEST_GUILESS_MAIN(HelpPagesTest)
#include "tst_helppages.moc"
