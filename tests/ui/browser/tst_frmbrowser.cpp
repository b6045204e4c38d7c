// The browser screen against pages of a local web server: the member log-in goes only to the
// supplier's own https site and is sent once; the address list keeps each address once.
#include "core/shell/SharedState.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "ui/browser/BrowserProfile.h"
#include "ui/browser/FrmBrowser.h"
#include "ui/browser/LocalWebServer.h"
#include "ui/browser/WebEngineView.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineCertificateError>
#include <QWebEnginePage>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

const QByteArray LoginTitle = "KVB | MEMBERS DIRECTORY | MEMBER LOGIN";

QByteArray page(const QByteArray& title, const QByteArray& body = {}) {
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

// The supplier's shop: its log-in page (or one whose title is off by a character), the
// members' page behind it for the right name and password, and plain pages.
LocalWebServer::Reply shop(const LocalWebServer::Request& request) {
    const QByteArray form = "<form method='post' action='/login'>"
                            "<input name='MemberNo'><input name='PassWord' type='password'>"
                            "<input type='submit' name='submit' value='Log in'></form>";
    if (request.path == "/login" && request.method == "POST") {
        if (request.body.contains("MemberNo=maplelane") && request.body.contains("PassWord=right"))
            return {page("Members", "<p>Welcome</p>")};
        return {page(LoginTitle, form)};
    }
    if (request.path == "/login")
        return {page(LoginTitle, form)};
    if (request.path == "/prices") {
        LocalWebServer::Reply reply("AB7\tPorcelain Bud Vase\t4.25\r\n");
        reply.contentType = "text/plain";
        reply.extraHeaders = "Content-Disposition: attachment; filename=\"../wp-cd.txt\"\r\n";
        return reply;
    }
    if (request.path == "/remember") {
        LocalWebServer::Reply reply(page("Remembered"));
        reply.extraHeaders = "Set-Cookie: tovinshop=maplelane; Max-Age=86400; Path=/; Secure\r\n";
        return reply;
    }
    if (request.path == "/near")
        return {page("KVB | MEMBERS DIRECTORY | MEMBER LOGIn", form)};
    return {page("Page " + request.path.mid(1))};
}

} // namespace

class FrmBrowserTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QSslCertificate m_certificate;
    QSslKey m_key;
    std::unique_ptr<LocalWebServer> m_https;
    std::unique_ptr<LocalWebServer> m_http;

    QString address(LocalWebServer& server, const QString& host, const QString& path) {
        return u"%1://%2:%3%4"_s.arg(&server == m_https.get() ? u"https"_s : u"http"_s, host)
            .arg(server.serverPort())
            .arg(path);
    }

    // A browser screen opened on an address, accepting the test's own certificate only, and a
    // spy on the pages it has checked for the log-in.
    std::pair<std::unique_ptr<FrmBrowser>, std::unique_ptr<QSignalSpy>>
    openBrowser(const QString& start) {
        auto browser = std::make_unique<FrmBrowser>(start);
        connect(browser->page(), &QWebEnginePage::certificateError, browser.get(),
                [this](const QWebEngineCertificateError& error) {
                    QWebEngineCertificateError answer = error;
                    if (error.certificateChain().value(0) == m_certificate)
                        answer.acceptCertificate();
                    else
                        answer.rejectCertificate();
                });
        auto checked = std::make_unique<QSignalSpy>(browser.get(), &FrmBrowser::loginChecked);
        browser->show();
        return {std::move(browser), std::move(checked)};
    }

    // Types an address into the address box and presses Enter, as a user does.
    static void go(FrmBrowser& browser, const QString& address) {
        QLineEdit* edit = browser.addressBox()->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, address);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    bool cookieFileHolds(const QByteArray& value) const {
        QFile file(m_dir.filePath(u"profile/Cookies"_s));
        return file.open(QIODevice::ReadOnly) && file.readAll().contains(value);
    }

    static QString fieldValue(FrmBrowser& browser, const QString& field) {
        QString value = u"?"_s;
        bool done = false;
        browser.page()->runJavaScript(
            u"(function () { var f = document.forms[0]; return f ? f.elements.namedItem('%1').value : ''; })()"_s
                .arg(field),
            [&](const QVariant& v) {
                value = v.toString();
                done = true;
            });
        if (!QTest::qWaitFor([&] { return done; }, 20000))
            return u"no answer"_s;
        return value;
    }

private slots:
    static void initMain() { WebEngineView::prepareApplication(); }

    void initTestCase() {
        QVERIFY(m_dir.isValid());
        const QString cert = m_dir.filePath(u"cert.pem"_s), key = m_dir.filePath(u"key.pem"_s);
        QProcess openssl;
        openssl.start(u"openssl"_s,
                      {u"req"_s, u"-x509"_s, u"-newkey"_s, u"rsa:2048"_s, u"-nodes"_s, u"-keyout"_s,
                       key, u"-out"_s, cert, u"-days"_s, u"2"_s, u"-subj"_s, u"/CN=localhost"_s,
                       u"-addext"_s, u"subjectAltName=DNS:localhost,IP:127.0.0.1"_s});
        QVERIFY(openssl.waitForFinished(60000));
        QCOMPARE(openssl.exitCode(), 0);
        QFile certFile(cert), keyFile(key);
        QVERIFY(certFile.open(QIODevice::ReadOnly) && keyFile.open(QIODevice::ReadOnly));
        m_certificate = QSslCertificate(&certFile);
        m_key = QSslKey(&keyFile, QSsl::Rsa);
        QVERIFY(!m_certificate.isNull() && !m_key.isNull());
        m_https = std::make_unique<LocalWebServer>(shop, m_certificate, m_key);
        m_http = std::make_unique<LocalWebServer>(shop);
        QVERIFY(m_https->isListening() && m_http->isListening());
        BrowserProfile::setStorageFolder(m_dir.filePath(u"profile"_s));
    }

    void memberLogIn_data() {
        QTest::addColumn<bool>("overHttps");
        QTest::addColumn<QString>("supplierHost");
        QTest::addColumn<QString>("pageHost");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("posts");         // log-ins the site received
        QTest::addColumn<QString>("memberNo");  // the field once the screen is done
        QTest::addColumn<QString>("lastTitle"); // the page shown at the end
        QTest::newRow("log-in page: filled and sent once")
            << true << u"127.0.0.1"_s << u"127.0.0.1"_s << u"/login"_s << u"right"_s << 1
            << QString() << u"Members"_s;
        // The engine takes every name under localhost for this machine.
        QTest::newRow("log-in page on a sub-domain of the supplier's host: filled and sent")
            << true << u"localhost"_s << u"members.localhost"_s << u"/login"_s << u"right"_s << 1
            << QString() << u"Members"_s;
        QTest::newRow("title off by one character: left alone")
            << true << u"127.0.0.1"_s << u"127.0.0.1"_s << u"/near"_s << u"right"_s << 0
            << QString() << u"KVB | MEMBERS DIRECTORY | MEMBER LOGIn"_s;
        QTest::newRow("right title on another host: left alone")
            << true << u"127.0.0.1"_s << u"localhost"_s << u"/login"_s << u"right"_s << 0
            << QString() << QString::fromLatin1(LoginTitle);
        QTest::newRow("plain http: left alone")
            << false << u"127.0.0.1"_s << u"127.0.0.1"_s << u"/login"_s << u"right"_s << 0
            << QString() << QString::fromLatin1(LoginTitle);
        QTest::newRow("wrong password: filled again, not sent again")
            << true << u"127.0.0.1"_s << u"127.0.0.1"_s << u"/login"_s << u"wrong"_s << 1
            << u"maplelane"_s << QString::fromLatin1(LoginTitle);
    }

    void memberLogIn() {
        QFETCH(bool, overHttps);
        QFETCH(QString, supplierHost);
        QFETCH(QString, pageHost);
        QFETCH(QString, path);
        QFETCH(QString, password);
        QFETCH(int, posts);
        QFETCH(QString, memberNo);
        QFETCH(QString, lastTitle);
        TestProgramFolder folder;
        ScriptedPrompts prompts;
        const bool refused = password == u"wrong"_s;
        if (refused)
            prompts.answerMessage(MessageAnswer::Ok);
        shared().SupplierUserName = u"maplelane"_s;
        shared().SupplierPassword = password;
        LocalWebServer& server = overHttps ? *m_https : *m_http;
        const int postsBefore = server.count("POST", "/login");
        const QString supplier = address(server, supplierHost, u"/"_s);
        auto [browser, checked] = openBrowser(supplier);
        QTRY_COMPARE_WITH_TIMEOUT(checked->size(), 1, 30000);
        checked->clear();
        go(*browser, address(server, pageHost, path));
        // A log-in that is sent brings the next page; every page is checked once.
        const int pagesChecked = posts > 0 ? 2 : 1;
        QTRY_COMPARE_WITH_TIMEOUT(checked->size(), pagesChecked, 30000);
        if (refused)
            QCOMPARE(checked->last().at(0).value<MemberLogin::Action>(),
                     MemberLogin::Action::FillRefused);
        QCOMPARE(browser->page()->title(), lastTitle);
        if (lastTitle != u"Members"_s)
            QCOMPARE(fieldValue(*browser, u"MemberNo"_s), memberNo);
        // One more page of the same site: by the time it shows, any log-in sent again would
        // have reached the site.
        go(*browser, address(server, pageHost, u"/after"_s));
        QTRY_COMPARE_WITH_TIMEOUT(checked->size(), pagesChecked + 1, 30000);
        QCOMPARE(server.count("POST", "/login") - postsBefore, posts);
        QCOMPARE(prompts.shown().size(), refused ? 1 : 0);
        if (refused)
            QVERIFY(prompts.shownTexts().first().startsWith(
                u"The supplier's web site refused the member name or password."_s));
    }

    // A supplier's price list lands in the program folder's Supplier folder, under its own
    // name only (never a folder the site names), and the user is told where.
    void downloadsGoIntoTheSupplierFolder() {
        TestProgramFolder folder;
        ScriptedPrompts prompts;
        prompts.answerMessage(MessageAnswer::Ok);
        auto [browser, checked] = openBrowser(address(*m_https, u"127.0.0.1"_s, u"/a"_s));
        QSignalSpy finished(BrowserProfile::instance(), &BrowserProfile::downloadFinished);
        QTRY_COMPARE_WITH_TIMEOUT(checked->size(), 1, 30000);
        go(*browser, address(*m_https, u"127.0.0.1"_s, u"/prices"_s));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        const QString saved = folder.filePath(u"Supplier/wp-cd.txt"_s);
        QCOMPARE(finished.first().at(0).toString(), saved);
        QCOMPARE(finished.first().at(1).toString(), QString());
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("AB7\tPorcelain Bud Vase\t4.25\r\n"));
        QCOMPARE(prompts.shownTexts(), QStringList{u"The file was saved as "_s + saved});
    }

    void addressListKeepsEachAddressOnceLatestFirst() {
        TestProgramFolder folder;
        const QString a = address(*m_https, u"127.0.0.1"_s, u"/a"_s);
        const QString b = address(*m_https, u"127.0.0.1"_s, u"/b"_s);
        auto [browser, checked] = openBrowser(a);
        QTRY_COMPARE_WITH_TIMEOUT(checked->size(), 1, 30000);
        int pages = 1;
        for (const QString& next : {b, a, b, b}) {
            go(*browser, next);
            ++pages;
            QTRY_COMPARE_WITH_TIMEOUT(checked->size(), pages, 30000);
        }
        QStringList list;
        for (int i = 0; i < browser->addressBox()->count(); ++i)
            list << browser->addressBox()->itemText(i);
        QCOMPARE(list, (QStringList{b, a}));
        QCOMPARE(browser->addressBox()->currentText(), b);
        QCOMPARE(browser->windowTitle(), u"Page b"_s);
    }

    // A cookie a supplier's shop sets is there again in the next run: the profile keeps it in
    // its folder. (Runs last: it ends the profile as the end of a run does.)
    void cookiesAreKeptBetweenRuns() {
        TestProgramFolder folder;
        for (const char* path : {"/remember", "/again"}) {
            auto [browser, checked] =
                openBrowser(address(*m_https, u"127.0.0.1"_s, QString::fromLatin1(path)));
            QTRY_COMPARE_WITH_TIMEOUT(checked->size(), 1, 30000);
            browser.reset();
            // The end of the run: the profile writes what it keeps and goes.
            delete BrowserProfile::instance();
            // The engine writes the cookie file in the background; the next run starts once
            // the cookie is in it.
            QTRY_VERIFY_WITH_TIMEOUT(cookieFileHolds("tovinshop"), 60000);
        }
        QByteArray headers;
        for (const LocalWebServer::Request& request : m_https->requests())
            if (request.path == "/again")
                headers = request.headers;
        QVERIFY2(headers.contains("tovinshop=maplelane"), headers.constData());
    }
};

QTEST_MAIN(FrmBrowserTest)
#include "tst_frmbrowser.moc"
