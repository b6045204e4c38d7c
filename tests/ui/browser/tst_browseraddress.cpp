#include "support/core/TestProgramFolder.h"
#include "ui/browser/BrowserAddress.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// How address texts of the program become the engine's addresses, and when two of them are the
// same page (the web view's error handler must not reload the page that just failed).
class BrowserAddressTest : public QObject {
    Q_OBJECT
    test::TestProgramFolder m_folder;

private slots:
    void initTestCase() {
        m_folder.writeFile(u"shop.example.net"_s, "a file of that name"); // a file, not a host
        m_folder.writeFile(u"Pages/p1.htm"_s, "<p>1</p>");
    }

    void addresses_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("url"); // "<folder>" stands for the program folder
        QTest::newRow("with scheme") << u"https://example.com/a"_s << u"https://example.com/a"_s;
        QTest::newRow("www") << u"www.example.com"_s << u"http://www.example.com"_s;
        QTest::newRow("bare host") << u"supplies.example.org"_s << u"http://supplies.example.org"_s;
        QTest::newRow("bare host with path and port")
            << u"example.com:8080/shop?x=1"_s << u"http://example.com:8080/shop?x=1"_s;
        QTest::newRow("existing file named like a host")
            << u"shop.example.net"_s << u"file://<folder>shop.example.net"_s;
        QTest::newRow("page of the program") << u"page.htm"_s << u"file://<folder>page.htm"_s;
        QTest::newRow("picture") << u"AB7.jpg"_s << u"file://<folder>AB7.jpg"_s;
        QTest::newRow("windows path") << u"pages\\P1.HTM"_s << u"file://<folder>Pages/p1.htm"_s;
        QTest::newRow("tick box signal") << u"chk_3"_s << u"file://<folder>chk_3"_s;
        QTest::newRow("empty") << QString() << QString();
    }
    void addresses() {
        QFETCH(QString, address);
        QFETCH(QString, url);
        url.replace(u"<folder>"_s, m_folder.path());
        QCOMPARE(BrowserAddress::toUrl(address).toString(), url);
    }

    void sameAddress_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("same");
        QTest::newRow("trailing slash added")
            << u"http://shop.example.net"_s << u"http://shop.example.net/"_s << true;
        QTest::newRow("typed without scheme")
            << u"supplies.example.org"_s << u"http://supplies.example.org/"_s << true;
        QTest::newRow("case of scheme and host, default port")
            << u"HTTP://Example.COM:80/a"_s << u"http://example.com/a"_s << true;
        QTest::newRow("path case matters on the web")
            << u"http://example.com/A"_s << u"http://example.com/a"_s << false;
        QTest::newRow("local path written another way")
            << u"Pages\\P1.htm"_s << u"<folder>Pages/./p1.htm"_s << true;
        QTest::newRow("another page")
            << u"http://example.com/a"_s << u"http://example.com/b"_s << false;
        QTest::newRow("nothing yet") << QString() << u"http://example.com"_s << false;
    }
    void sameAddress() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, same);
        second.replace(u"<folder>"_s, m_folder.path());
        QCOMPARE(BrowserAddress::sameAddress(first, second), same);
        QCOMPARE(BrowserAddress::sameAddress(second, first), same);
    }
};

QTEST_MAIN(BrowserAddressTest)
#include "tst_browseraddress.moc"
