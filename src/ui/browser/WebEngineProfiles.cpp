#include "ui/browser/WebEngineProfiles.h"

#include "ui/browser/WebEngineConfinement.h"

#include <QCoreApplication>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
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
        // Peer connections reach addresses outside the request rules (STUN and TURN): the
        // program's pages have no use for them, so they are taken away in every frame.
        QWebEngineScript noPeers;
        noPeers.setName(u"tovin-no-peer-connections"_s);
        noPeers.setInjectionPoint(QWebEngineScript::DocumentCreation);
        noPeers.setWorldId(QWebEngineScript::MainWorld);
        noPeers.setRunsOnSubFrames(true);
        noPeers.setSourceCode(
            u"(function () { var names = ['RTCPeerConnection', 'webkitRTCPeerConnection',"
            " 'RTCIceCandidate', 'RTCSessionDescription'];"
            " function strip(w) { names.forEach(function (name) { try {"
            " Object.defineProperty(w, name, {value: undefined, writable: false,"
            " configurable: false}); } catch (e) {} }); return w; }"
            " strip(window);"
            // A frame that has not loaded a document yet gets no script of its own.
            " [window.HTMLIFrameElement, window.HTMLFrameElement, window.HTMLObjectElement]"
            ".forEach(function (kind) { if (!kind) return;"
            " var get = Object.getOwnPropertyDescriptor(kind.prototype, 'contentWindow');"
            " if (!get) return;"
            " Object.defineProperty(kind.prototype, 'contentWindow', {configurable: false,"
            " get: function () { var w = get.get.call(this); try { if (w) strip(w); }"
            " catch (e) {} return w; }}); }); })();"_s);
        p->scripts()->insert(noPeers);
        return p;
    }();
    return profile;
}

} // namespace tovin::WebEngineProfiles
