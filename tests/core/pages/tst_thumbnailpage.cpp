#include "PageTestSupport.h"
#include "core/files/ProgramFolder.h"
#include "core/pages/PageOptions.h"
#include "core/pages/ThumbnailPage.h"

#include <QUrl>
#include <memory>

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
    std::unique_ptr<TestProgramFolder> m_folder;

    QString folderUrl() const {
        return QUrl::fromLocalFile(m_folder->path()).toString(QUrl::FullyEncoded);
    }

private slots:
    void initTestCase() { m_folder = std::make_unique<TestProgramFolder>(); }
    void cleanupTestCase() { m_folder.reset(); }

    // Twelve products: rows of 5, 5 and 2; the second product is ticked and its GIF links to
    // the JPEG of the same name.
    void twelveProductsMatchExpected() {
        PageOptions o;
        o.FontName = u"Verdana"_s;
        const QStringList lines = ThumbnailPage::pageLines(items(12), 100, {0, 1, 0}, o);
        const QByteArray want = expectedPage(u"thumbnails-12.htm"_s, folderUrl());
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

    // The page is written into whatever the view shows (a help page, a catalogue page in the
    // pages folder), so its pictures carry their full address, found as the disk spells it.
    void pictureAddresses_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("address"); // "@" stands for the program folder's address
        QTest::newRow("Windows path, other letter case")
            << u"PICTURES\\AB12.jpg"_s << u"@pictures/AB12.jpg"_s;
        QTest::newRow("full path") << u"#pictures/AB7.gif"_s << u"@pictures/AB7.gif"_s;
        QTest::newRow("missing file keeps its name")
            << u"pictures/Gone.jpg"_s << u"@pictures/Gone.jpg"_s;
        QTest::newRow("web address")
            << u"http://www.example.com/a.jpg"_s << u"http://www.example.com/a.jpg"_s;
        QTest::newRow("none") << QString() << QString();
    }
    void pictureAddresses() {
        QFETCH(QString, stored);
        QFETCH(QString, address);
        stored.replace(u"#"_s, m_folder->path());
        address.replace(u"@"_s, folderUrl());
        QCOMPARE(ThumbnailPage::pictureAddress(stored), address);
        const QStringList cell = ThumbnailPage::cellLines(1, u"S"_s, stored, 50, false);
        QVERIFY(cell.join(QString()).contains(u" src=\""_s + address + u'"'));
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
