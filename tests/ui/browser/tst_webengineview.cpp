#include "core/products/PreviewPage.h"
#include "core/products/ThumbTicks.h"
#include "core/products/ThumbnailClicks.h"
#include "support/core/TestProgramFolder.h"
#include "ui/browser/WebEngineView.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {
// The engine starts slowly on a small machine; waits are generous.
constexpr int Patience = 60000;

QVariant evaluate(WebEngineView& view, const QString& script) {
    QVariant result;
    bool done = false;
    view.runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, Patience))
        return {};
    return result;
}
} // namespace

class WebEngineViewTest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TestProgramFolder> m_folder;
    std::unique_ptr<WebEngineView> m_view;

    // Shows a page and waits until it has loaded.
    bool show(const QString& address) {
        QSignalSpy complete(m_view.get(), &WebView::navigateComplete);
        m_view->navigate(address);
        return QTest::qWaitFor([&] { return !complete.isEmpty(); }, Patience);
    }

public:
    static void initMain() { WebEngineView::prepareApplication(); }

private slots:
    void initTestCase() {
        m_folder = std::make_unique<test::TestProgramFolder>();
        m_view = std::make_unique<WebEngineView>();
        m_view->resize(640, 480);
        m_view->show();
    }
    void cleanupTestCase() {
        m_view.reset();
        m_folder.reset();
    }
    void init() { m_view->disconnect(this); }

    // The preview page of a product whose picture path came from Windows data; clicking the
    // picture opens the JPEG of the same name, and the address it reports names the product.
    void previewPageLoadsAndItsPictureOpens() {
        PreviewProduct product;
        product.StockNo = u"AB7"_s;
        product.ProdName = u"Brass Lamp"_s;
        product.Cost1 = 12.5;
        product.Picture = u"Pictures\\AB7.gif"_s; // the file is pictures/AB7.gif
        const QString page =
            PreviewPage::write(product, PreviewPage::Size::Large, m_folder->cataloguePath());
        QSignalSpy before(m_view.get(), &WebView::beforeNavigate);
        QSignalSpy complete(m_view.get(), &WebView::navigateComplete);
        QSignalSpy downloaded(m_view.get(), &WebView::downloadComplete);
        m_view->navigate(page);
        QVERIFY(m_view->isBusy());
        QTRY_VERIFY_WITH_TIMEOUT(!complete.isEmpty(), Patience);
        QCOMPARE(before.size(), 1);
        QCOMPARE(before.first().first().toString(), page);
        QCOMPARE(complete.first().first().toString(), page);
        QCOMPARE(m_view->address(), page);
        QCOMPARE(m_view->title(), u"page.htm"_s);
        QVERIFY(!m_view->isBusy());
        QVERIFY(!downloaded.isEmpty());
        QVERIFY(evaluate(*m_view, u"document.images[0].naturalWidth"_s).toInt() > 0);
        QVERIFY(evaluate(*m_view, u"document.body.innerText"_s)
                    .toString()
                    .contains(u"Your Cost: $12.50"_s));

        before.clear();
        complete.clear();
        evaluate(*m_view, u"document.links[0].click(); true"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!complete.isEmpty(), Patience);
        const QString address = complete.first().first().toString();
        QCOMPARE(QFileInfo(address).canonicalFilePath(),
                 QFileInfo(m_folder->filePath(u"pictures/AB7.jpg"_s)).canonicalFilePath());
        QCOMPARE(ThumbnailClicks::pictureStockNo(address), std::optional<QString>(u"AB7"_s));
        QCOMPARE(before.size(), 1); // the corrected path is not reported a second time
    }

    // A tick box written into the shown page calls window.navigate(); the Products screen's
    // rule cancels the navigation and flips the tick.
    void tickBoxClickIsCancelledAndToggles() {
        QVERIFY(show(PreviewPage::write(PreviewProduct{}, PreviewPage::Size::Small,
                                        m_folder->cataloguePath())));
        const QString page = m_view->address();
        ThumbTicks ticks{{0, 0, 0, 0}};
        QStringList addresses;
        connect(m_view.get(), &WebView::beforeNavigate, this,
                [&](const QString& address, bool* cancel) {
                    addresses << address;
                    *cancel = ThumbnailClicks::beforeNavigate(address, ticks);
                });
        QSignalSpy failed(m_view.get(), &WebView::navigateError);

        m_view->writeHtml(u"<html><body><form method=POST action=''><p align=\"center\">"_s);
        m_view->writeHtml(u"<input type=checkbox name=CH_3 id=box value=\"ON\" "
                          "onClick=window.navigate('chk_3')>AB7</p>"_s);
        m_view->writeHtml(u"</form></body></html>"_s);
        QCOMPARE(evaluate(*m_view, u"typeof window.navigate"_s).toString(), u"function"_s);
        evaluate(*m_view, u"document.getElementById('box').click(); true"_s);

        QTRY_COMPARE_WITH_TIMEOUT(ticks.checked.value(2), std::int16_t(1), Patience);
        QCOMPARE(addresses.size(), 1);
        QVERIFY(addresses.first().endsWith(u"/chk_3"_s));
        QCOMPARE(ticks.lastFlipped, std::int16_t(2));

        // A second click unticks; the written page is still the one shown.
        evaluate(*m_view, u"document.getElementById('box').click(); true"_s);
        QTRY_COMPARE_WITH_TIMEOUT(ticks.checked.value(2), std::int16_t(0), Patience);
        QTRY_VERIFY_WITH_TIMEOUT(!m_view->isBusy(), Patience);
        QCOMPARE(m_view->address(), page);
        QVERIFY(evaluate(*m_view, u"document.getElementById('box') !== null"_s).toBool());

        // Without a handler the made-up address is not looked for on disk: the navigation is
        // reported and refused, and the page stays.
        m_view->disconnect(this);
        QSignalSpy before(m_view.get(), &WebView::beforeNavigate);
        evaluate(*m_view, u"document.getElementById('box').click(); true"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!before.isEmpty(), Patience);
        QTRY_VERIFY_WITH_TIMEOUT(!m_view->isBusy(), Patience);
        QVERIFY(failed.isEmpty());
        QCOMPARE(m_view->address(), page);
        QVERIFY(evaluate(*m_view, u"document.getElementById('box') !== null"_s).toBool());
    }

    void missingPageReportsAnError() {
        QSignalSpy failed(m_view.get(), &WebView::navigateError);
        m_view->navigate(u"Pages\\nothere.htm"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!failed.isEmpty(), Patience);
        QVERIFY(failed.first().at(0).toString().endsWith(u"nothere.htm"_s));
        QVERIFY(failed.first().at(1).toInt() != 0);
    }

    // The supplier log-in: fields of the first form by name, then its submit.
    void formFieldsAreFilledAndSubmitted() {
        m_folder->writeFile(u"login.htm"_s, "<title>Log in</title><form action=\"done.htm\">"
                                            "<input name=MemberNo><input name=PassWord>"
                                            "<input type=submit name=submit value=Go></form>");
        m_folder->writeFile(u"done.htm"_s, "<title>Done</title>");
        QVERIFY(show(m_folder->filePath(u"login.htm"_s)));
        QCOMPARE(m_view->title(), u"Log in"_s);

        QList<bool> results;
        auto record = [&](bool found) { results << found; };
        m_view->setFormField(0, u"MemberNo"_s, u"A'7\"x"_s, record);
        m_view->setFormField(0, u"PassWord"_s, u"secret"_s, record);
        m_view->setFormField(0, u"Nobody"_s, u"x"_s, record);
        m_view->setFormField(1, u"MemberNo"_s, u"x"_s, record);
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), 4, Patience);
        QCOMPARE(results, (QList<bool>{true, true, false, false}));
        QCOMPARE(evaluate(*m_view, u"document.forms[0].MemberNo.value"_s).toString(), u"A'7\"x"_s);

        QSignalSpy complete(m_view.get(), &WebView::navigateComplete);
        m_view->submitForm(0, record);
        QTRY_VERIFY_WITH_TIMEOUT(!complete.isEmpty(), Patience);
        QCOMPARE(results.value(4), true);
        QCOMPARE(m_view->title(), u"Done"_s);
    }

    // A product text with a script runs in the preview, but reads no file outside the program
    // folder and reaches no network address: not by fetch, a picture, a WebSocket, a peer
    // connection (also one taken from a fresh frame) or by leaving the page. A web address the
    // program opens itself still loads.
    void pagesOfTheProgramAreConfined() {
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        QStringList requests;
        connect(&listener, &QTcpServer::newConnection, this, [&] {
            while (QTcpSocket* socket = listener.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [socket, &requests] {
                    requests << QString::fromLatin1(socket->readAll().split('\n').first());
                    socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n"
                                  "<title>Supplier shop</title>shop");
                    socket->disconnectFromHost();
                });
            }
        });
        const QString server = u"127.0.0.1:%1"_s.arg(listener.serverPort());
        QTemporaryFile secret; // outside the program folder
        QVERIFY(secret.open());
        secret.write("secret-words");
        secret.close();
        const QString secretUrl = QUrl::fromLocalFile(secret.fileName()).toString();

        PreviewProduct product;
        product.StockNo = u"AB7"_s;
        product.Picture = u"Pictures\\AB7.gif"_s;
        product.ProdDesc =
            u"<script>var got = {}; function report(k, v) { got[k] = v;"
            " if (Object.keys(got).length == 7) document.title = 'probed ' + JSON.stringify(got); }"
            "fetch('SECRET').then(r => r.text()).then(t => report('file', t),"
            " () => report('file', 'blocked'));"
            "var x = new XMLHttpRequest(); x.onload = () => report('xhr', x.responseText);"
            " x.onerror = () => report('xhr', 'blocked');"
            " try { x.open('GET', 'SECRET'); x.send(); } catch (e) { report('xhr', 'blocked'); }"
            "fetch('http://SERVER/fetch', {mode: 'no-cors'}).then(() => report('fetch', 'sent'),"
            " () => report('fetch', 'blocked'));"
            "var i = new Image(); i.onload = () => report('image', 'loaded');"
            " i.onerror = () => report('image', 'blocked'); i.src = 'http://SERVER/image.png';"
            "try { var w = new WebSocket('ws://SERVER/socket');"
            " w.onopen = () => report('socket', 'open'); w.onerror = () => report('socket', "
            "'blocked');"
            "} catch (e) { report('socket', 'blocked'); }"
            "var f = document.createElement('iframe'); f.onload = () => { var t = '';"
            " try { t = f.contentDocument.body.innerText; } catch (e) {} report('frame', t); };"
            " f.src = 'SECRET'; document.body.appendChild(f);"
            "try { var blank = document.createElement('iframe'); document.body.appendChild(blank);"
            " var Peer = blank.contentWindow.RTCPeerConnection || RTCPeerConnection;"
            " var pc = new Peer({iceServers: [{urls:"
            " 'turn:SERVER?transport=tcp', username: 'u', credential: 'c'}]});"
            " pc.createDataChannel('d'); pc.onicegatheringstatechange = () => {"
            " if (pc.iceGatheringState == 'complete') report('rtc', 'gathered'); };"
            " pc.createOffer().then(o => pc.setLocalDescription(o), () => report('rtc', "
            "'blocked'));"
            "} catch (e) { report('rtc', 'blocked'); }"
            "</script>"_s;
        product.ProdDesc.replace(u"SECRET"_s, secretUrl).replace(u"SERVER"_s, server);
        QVERIFY(
            show(PreviewPage::write(product, PreviewPage::Size::Large, m_folder->cataloguePath())));
        QTRY_VERIFY_WITH_TIMEOUT(m_view->title().startsWith(u"probed "_s), Patience);
        const QString probed = m_view->title();
        QVERIFY2(!probed.contains(u"secret-words"_s), qPrintable(probed));
        for (const QString& probe : {u"fetch"_s, u"image"_s, u"socket"_s})
            QVERIFY2(probed.contains(u"\""_s + probe + u"\":\"blocked\""_s), qPrintable(probed));
        // The page's own picture still shows.
        QVERIFY(evaluate(*m_view, u"document.images[0].naturalWidth"_s).toInt() > 0);

        // Leaving the page for the network is refused as well.
        QSignalSpy failed(m_view.get(), &WebView::navigateError);
        evaluate(*m_view,
                 u"location.href = 'http://%1/leave?' + document.title; true"_s.arg(server));
        QTRY_VERIFY_WITH_TIMEOUT(!failed.isEmpty(), Patience);
        QVERIFY(requests.isEmpty());

        // The listener answers a navigation the program makes: the refusals above were the
        // confinement's, not a listener out of reach.
        QVERIFY(show(u"http://%1/shop"_s.arg(server)));
        QCOMPARE(m_view->title(), u"Supplier shop"_s);
        QCOMPARE(requests, QStringList{u"GET /shop HTTP/1.1\r"_s});
    }

    // Writing into a view that has shown nothing yet still gives a working page.
    void writeIntoAFreshView() {
        WebEngineView fresh;
        fresh.show();
        fresh.writeHtml(u"<p id=p>Thumnbails</p>"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!fresh.isBusy(), Patience);
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(fresh, u"document.body.innerText"_s).toString(),
                                  u"Thumnbails"_s, Patience);
        QCOMPARE(evaluate(fresh, u"typeof window.navigate"_s).toString(), u"function"_s);
    }
};

QTEST_MAIN(WebEngineViewTest)
#include "tst_webengineview.moc"
