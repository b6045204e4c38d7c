#include "PageTestSupport.h"
#include "core/pages/PageOptions.h"
#include "core/pages/ThumbnailPage.h"

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {
QList<QPair<QString, QString>> items(int count) {
    QList<QPair<QString, QString>> list;
    for (int i = 1; i <= count; ++i)
        list << qMakePair(u"T"_s + QString::number(i),
                          u"pictures\\T"_s + QString::number(i) + (i == 2 ? u".gif"_s : u".jpg"_s));
    return list;
}
} // namespace

class ThumbnailPageTest : public QObject {
    Q_OBJECT
private slots:
    // Twelve products: rows of 5, 5 and 2; the second product is ticked and its GIF links to
    // the JPEG of the same name.
    void twelveProductsMatchExpected() {
        PageOptions o;
        o.FontName = u"Verdana"_s;
        const QStringList lines = ThumbnailPage::pageLines(items(12), 100, {0, 1, 0}, o);
        const QByteArray want = expectedPage(u"thumbnails-12.htm"_s, {});
        QVERIFY(!want.isEmpty());
        QCOMPARE(joinedLines(lines), want);
    }

    void rowsOfFive_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("rows");
        QTest::newRow("none: one empty row") << 0 << 1;
        QTest::newRow("five: one full row") << 5 << 1;
        QTest::newRow("six") << 6 << 2;
    }
    void rowsOfFive() {
        QFETCH(int, count);
        QFETCH(int, rows);
        const QStringList lines = ThumbnailPage::pageLines(items(count), 20, {}, PageOptions());
        QCOMPARE(lines.count(u"<tr>"_s), rows);
        QCOMPARE(lines.filter(u"width=\"20\""_s).size(), count);
    }

    void sizeBox_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("size");
        QTest::newRow("empty") << QString() << 100;
        QTest::newRow("20") << u"20"_s << 20;
        QTest::newRow("not a number") << u"big"_s << 0;
        QTest::newRow("too large") << u"99999"_s << 0;
    }
    void sizeBox() {
        QFETCH(QString, text);
        QFETCH(int, size);
        QCOMPARE(ThumbnailPage::sizeFromBox(text), size);
    }
};

QTEST_GUILESS_MAIN(ThumbnailPageTest)
#include "tst_thumbnailpage.moc"
