#include "ui/browser/WebEngineProfiles.h"

#include "ui/browser/WebEngineConfinement.h"

#include <QCoreApplication>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

using namespace Qt::Literals::StringLiterals;

namespace tovin::WebEngineProfiles {

namespace {
// The profiles live as long as the application; the engine deletes them with it.
QWebEngineProfile* makeProfile(const QString& name) {
    auto* profile = new QWebEngineProfile(QCoreApplication::instance());
    profile->setObjectName(name);
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    // The program writes its pages in UTF-8 without declaring it.
    profile->settings()->setDefaultTextEncoding(u"UTF-8"_s);
    return profile;
}
} // namespace

QWebEngineProfile* confined() {
    static QWebEngineProfile* profile = [] {
        QWebEngineProfile* p = makeProfile(u"confined"_s);
        QWebEngineSettings* settings = p->settings();
        // Local pages keep reading the program's files (pictures, pages); the request rules keep
        // them inside the program folder.
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
        settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
        settings->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
        p->setUrlRequestInterceptor(new ConfinedRequests(p));
        return p;
    }();
    return profile;
}

QWebEngineProfile* browsing() {
    static QWebEngineProfile* profile = makeProfile(u"browsing"_s);
    return profile;
}

} // namespace tovin::WebEngineProfiles
