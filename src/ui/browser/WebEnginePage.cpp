#include "ui/browser/WebEnginePage.h"

#include "ui/browser/BrowserAddress.h"

#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

WebEnginePage::WebEnginePage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent) {
    setUrlRequestInterceptor(&m_redirector);
    // The program writes its pages in UTF-8 without declaring it.
    settings()->setDefaultTextEncoding(u"UTF-8"_s);

    // Generated pages call window.navigate('Vex_3') from their tick boxes.
    QWebEngineScript navigate;
    navigate.setName(u"tovin-window-navigate"_s);
    navigate.setInjectionPoint(QWebEngineScript::DocumentCreation);
    navigate.setWorldId(QWebEngineScript::MainWorld);
    navigate.setRunsOnSubFrames(true);
    navigate.setSourceCode(u"window.navigate = function (u) { location.href = u; };"_s);
    scripts().insert(navigate);
}

bool WebEnginePage::acceptNavigationRequest(const QUrl& url, NavigationType type,
                                            bool isMainFrame) {
    if (!isMainFrame)
        return true;
    // The corrected path of a page already reported under the path it was asked for.
    if (type == NavigationTypeRedirect && m_redirector.takePageRedirect(url))
        return true;
    bool cancel = false;
    emit beforeNavigate(BrowserAddress::fromUrl(url), &cancel);
    if (cancel)
        return false;
    // A tick-box address that no handler took names no file: stay on the page.
    return !BrowserAddress::isPageSignal(url);
}

} // namespace tovin
