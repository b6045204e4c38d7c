#include "core/products/ThumbTicks.h"
#include "core/products/ThumbnailClicks.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

using Ticks = QList<std::int16_t>; // the tick list, as the thumbnail page keeps it

class ThumbnailClicksTest : public QObject {
    Q_OBJECT
private slots:
    void tickBoxFlipsTheEntryBefore_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<Ticks>("before");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<Ticks>("after");
        QTest::addColumn<int>("thumbIndex"); // starts at 99

        const Ticks none{0, 0, 0, 0};
        const auto flips = [&none](const char* tag, const QString& address, const Ticks& before,
                                   const Ticks& after, int index) {
            QTest::newRow(tag) << address << before << true << after << index;
        };
        flips("box 3 ticks entry 2", u"/tmp/app/Vex_3"_s, none, {0, 0, 1, 0}, 2);
        flips("a ticked entry is unticked", u"/tmp/app/Vex_3"_s, {0, 0, 1, 0}, none, 2);
        flips("any value above 0 counts as ticked", u"/tmp/app/Vex_2"_s, {0, 5, 0, 0}, none, 1);
        flips("file URL", u"file:///tmp/app/Vex_1"_s, none, {1, 0, 0, 0}, 0);
        flips("folders with dots", u"/home/u/.cache/x.y/Vex_4"_s, none, {0, 0, 0, 1}, 3);
        flips("windows path with dots", u"C:\\Catalog.v2\\Pages\\chk_2"_s, none, {0, 1, 0, 0}, 1);
        flips("number after the last underscore", u"/tmp/app/a_b_4"_s, none, {0, 0, 0, 1}, 3);
        // Cancelled (a tick box address) or let through, and nothing changes.
        const auto untouched = [&none](const char* tag, const QString& address, bool cancelled) {
            QTest::newRow(tag) << address << none << cancelled << none << 99;
        };
        untouched("beyond the list", u"/tmp/app/Vex_5"_s, true);
        untouched("box 0 has no entry", u"/tmp/app/Vex_0"_s, true);
        untouched("no number", u"/tmp/app/Vex_"_s, true);
        QTest::newRow("empty list") << u"/tmp/app/Vex_1"_s << Ticks{} << true << Ticks{} << 99;
        untouched("a page is let through", u"/tmp/app/my_page.htm"_s, false);
        untouched("no underscore", u"/tmp/app/Vex3"_s, false);
        untouched("help pages are never tick boxes", u"/tmp/app/Help/INTRO.HTM/Vex_1"_s, false);
        untouched("help page in lower case", u"file:///tmp/app/help/intro.htm_1"_s, false);
        untouched("web address", u"https://shop.example.com/cart_add"_s, false);
        untouched("blank page", u"about:blank"_s, false);
    }
    void tickBoxFlipsTheEntryBefore() {
        QFETCH(QString, address);
        QFETCH(Ticks, before);
        QFETCH(bool, cancelled);
        QFETCH(Ticks, after);
        QFETCH(int, thumbIndex);
        ThumbTicks ticks{before, 99};
        QCOMPARE(ThumbnailClicks::beforeNavigate(address, ticks), cancelled);
        QCOMPARE(ticks.checked, after);
        QCOMPARE(int(ticks.lastFlipped), thumbIndex);
    }

    void pictureClickNamesTheProduct_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("isPicture");
        QTest::addColumn<QString>("stockNo");
        QTest::newRow("local jpg") << u"/tmp/app/pictures/AB7.jpg"_s << true << u"AB7"_s;
        QTest::newRow("capital GIF in a URL")
            << u"file:///tmp/app/Pictures/AB12.GIF"_s << true << u"AB12"_s;
        QTest::newRow("windows path bmp")
            << u"C:\\Catalog\\pictures\\0012.bmp"_s << true << u"0012"_s;
        QTest::newRow("web picture with a blank")
            << u"http://shop.example.com/img/AB 7.jpg"_s << true << u"AB 7"_s;
        QTest::newRow("a page is no picture") << u"/tmp/app/page.htm"_s << false << QString();
        QTest::newRow("jpeg is not recognised") << u"/tmp/app/AB7.jpeg"_s << false << QString();
    }
    void pictureClickNamesTheProduct() {
        QFETCH(QString, address);
        QFETCH(bool, isPicture);
        QFETCH(QString, stockNo);
        const std::optional<QString> found = ThumbnailClicks::pictureStockNo(address);
        QCOMPARE(found.has_value(), isPicture);
        if (isPicture)
            QCOMPARE(*found, stockNo);
    }

    void stockNoConditionQuotesApostrophes() {
        QCOMPARE(ThumbnailClicks::stockNoCondition(u"O'B-7"_s), u"[StockNo]='O''B-7'"_s);
    }
};

QTEST_GUILESS_MAIN(ThumbnailClicksTest)
#include "tst_thumbnailclicks.moc"
