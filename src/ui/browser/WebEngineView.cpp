#include "ui/browser/WebEngineView.h"

#include "core/browser/ScriptText.h"
#include "core/files/ProgramFolder.h"
#include "ui/browser/BrowserAddress.h"
#include "ui/browser/WebEnginePage.h"
#include "ui/browser/WebEngineProfiles.h"

#include <QCoreApplication>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineView>
#include <unistd.h>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

WebEngineView::WebEngineView(QWidget* parent)
    : WebView(parent), m_view(new QWebEngineView(this)),
      m_page(new WebEnginePage(WebEngineProfiles::confined(), m_view)) {
    m_view->setPage(m_page);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFocusProxy(m_view);

    connect(m_page, &WebEnginePage::beforeNavigate, this, &WebView::beforeNavigate);
    connect(m_page, &QWebEnginePage::loadingChanged, this, &WebEngineView::onLoadingChanged);
}

WebEngineView::~WebEngineView() = default;

void WebEngineView::prepareApplication() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The browser engine refuses to start its sandbox for the root user (a shop PC run as
    // root, a test machine): run without it rather than showing no pages at all. The views
    // only show the program's own pages and the supplier's shop.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Peer connections could carry a page's text past the confined profile's request rules
    // (through a frame the page makes for itself): without a proxy they get no route at all.
    // Neither the program's pages nor a supplier's shop need them.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("webrtc-ip-handling-policy"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                flags + " --force-webrtc-ip-handling-policy=disable_non_proxied_udp");
}

void WebEngineView::navigate(const QString& address) {
    const QUrl url = BrowserAddress::toUrl(address);
    if (!url.isValid() || url.isEmpty())
        return;
    // A jump within the shown page loads nothing.
    const QUrl current = m_page->url();
    const bool samePage = url.hasFragment() && url.adjusted(QUrl::RemoveFragment) ==
                                                   current.adjusted(QUrl::RemoveFragment);
    if (!samePage)
        m_loading = true;
    m_page->load(url);
}

void WebEngineView::goBack() {
    if (!m_page->history()->canGoBack())
        return;
    m_loading = true;
    m_page->triggerAction(QWebEnginePage::Back);
}

void WebEngineView::goForward() {
    if (!m_page->history()->canGoForward())
        return;
    m_loading = true;
    m_page->triggerAction(QWebEnginePage::Forward);
}

void WebEngineView::goHome() {
    navigate(homeAddress());
}

void WebEngineView::goSearch() {
    navigate(searchAddress());
}

void WebEngineView::stop() {
    m_page->triggerAction(QWebEnginePage::Stop);
}

void WebEngineView::refresh() {
    if (m_page->url().isEmpty())
        return;
    m_loading = true;
    m_page->triggerAction(QWebEnginePage::Reload);
}

QString WebEngineView::title() const {
    return m_page->title();
}

QString WebEngineView::address() const {
    return BrowserAddress::fromUrl(m_page->url());
}

bool WebEngineView::isBusy() const {
    return m_loading;
}

void WebEngineView::writeHtml(const QString& html) {
    m_heldWrites.append(html);
    writeHeld();
}

void WebEngineView::writeHeld() {
    if (m_loading || m_heldWrites.isEmpty())
        return;
    // Written HTML belongs in a page of the program, never in a web site's page (where it would
    // run with the site's rights): before anything is shown, or over a web site, start an empty
    // page in the program folder, so window.navigate() is defined and relative addresses have a
    // folder.
    const QUrl current = m_page->url();
    if (current.isEmpty() || current.scheme().startsWith(u"http"_s) ||
        current.scheme() == u"ftp"_s) {
        m_loading = true;
        m_page->setHtml(QString(), QUrl::fromLocalFile(ProgramFolder::path()));
        return;
    }
    const QStringList held = std::exchange(m_heldWrites, {});
    for (const QString& html : held)
        m_page->runJavaScript(u"document.write("_s + scriptString(html) + u");"_s);
}

void WebEngineView::setFormField(int formIndex, const QString& fieldName, const QString& value,
                                 FormResult done) {
    runFormScript(u"(function (i, n, v) {"
                  " var f = document.forms[i]; if (!f) return false;"
                  " var e = f.elements.namedItem(n); if (!e) return false;"
                  " e.value = v; return true; })("_s +
                      QString::number(formIndex) + u", "_s + scriptString(fieldName) + u", "_s +
                      scriptString(value) + u")"_s,
                  std::move(done));
}

void WebEngineView::submitForm(int formIndex, FormResult done) {
    // The form's own submit() may be hidden by a field named "submit".
    runFormScript(u"(function (i) { var f = document.forms[i]; if (!f) return false;"
                  " HTMLFormElement.prototype.submit.call(f); return true; })("_s +
                      QString::number(formIndex) + u")"_s,
                  std::move(done));
}

void WebEngineView::runFormScript(const QString& script, FormResult done) {
    m_page->runJavaScript(script, [done = std::move(done)](const QVariant& result) {
        if (done)
            done(result.toBool());
    });
}

void WebEngineView::runJavaScript(const QString& script,
                                  const std::function<void(const QVariant&)>& result) {
    if (result)
        m_page->runJavaScript(script, result);
    else
        m_page->runJavaScript(script);
}

void WebEngineView::onLoadingChanged(const QWebEngineLoadingInfo& info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        m_loading = true;
        return;
    }
    m_loading = false;
    const QString address = BrowserAddress::fromUrl(info.url());
    if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
        emit navigateComplete(address);
    else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
        emit navigateError(address, info.errorCode());
    emit downloadComplete();
    writeHeld();
}

} // namespace tovin
