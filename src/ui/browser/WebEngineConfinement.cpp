#include "ui/browser/WebEngineConfinement.h"

#include "core/files/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QWebEngineUrlRequestInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

bool isWebScheme(const QString& scheme) {
    return scheme == u"http"_s || scheme == u"https"_s || scheme == u"ws"_s || scheme == u"wss"_s;
}

// The real path of a file that may not exist yet: the longest existing part with its links
// followed, and the rest as written.
QString realPath(const QString& path) {
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString rest;
    while (!existing.isEmpty() && !QFileInfo::exists(existing)) {
        const qsizetype slash = existing.lastIndexOf(u'/');
        if (slash <= 0)
            return QDir::cleanPath(path);
        rest = existing.mid(slash) + rest;
        existing.truncate(slash);
    }
    return QFileInfo(existing).canonicalFilePath() + rest;
}

} // namespace

ConfinedRequests::ConfinedRequests(QObject* parent) : QWebEngineUrlRequestInterceptor(parent) {}

bool ConfinedRequests::insideProgramFolder(const QString& path) {
    const QString folder = realPath(ProgramFolder::path());
    const QString target = realPath(path);
    return !folder.isEmpty() && (target == folder || target.startsWith(folder + u'/'));
}

bool ConfinedRequests::allowed(const QWebEngineUrlRequestInfo& info) {
    const QUrl url = info.requestUrl();
    if (url.isLocalFile())
        return insideProgramFolder(url.toLocalFile());
    const QString scheme = url.scheme().toLower();
    if (scheme == u"data"_s || scheme == u"blob"_s || scheme == u"about"_s)
        return true;
    if (!isWebScheme(scheme))
        return false;
    // A page the program opened: pages cannot make a navigation of this kind.
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame) {
        switch (info.navigationType()) {
        case QWebEngineUrlRequestInfo::NavigationTypeTyped:
        case QWebEngineUrlRequestInfo::NavigationTypeBackForward:
        case QWebEngineUrlRequestInfo::NavigationTypeReload:
        case QWebEngineUrlRequestInfo::NavigationTypeRedirect:
            return true;
        default:
            break;
        }
    }
    // The parts of a web site the program opened.
    return isWebScheme(info.initiator().scheme().toLower());
}

void ConfinedRequests::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (!allowed(info))
        info.block(true);
}

} // namespace tovin
