#include "ui/browser/LocalFileRedirector.h"

#include "core/files/ProgramFolder.h"

#include <QFileInfo>

namespace tovin {

LocalFileRedirector::LocalFileRedirector(QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent) {}

void LocalFileRedirector::interceptRequest(QWebEngineUrlRequestInfo& info) {
    const QUrl url = info.requestUrl();
    if (!url.isLocalFile())
        return;
    const QString path = url.toLocalFile();
    if (QFileInfo::exists(path))
        return;
    const QString found = ProgramFolder::resolveFile(path);
    if (found == path || !QFileInfo::exists(found))
        return;
    const QUrl target = QUrl::fromLocalFile(found);
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
        m_pageRedirect = target;
    info.redirect(target);
}

bool LocalFileRedirector::takePageRedirect(const QUrl& url) {
    if (m_pageRedirect.isEmpty() || url != m_pageRedirect)
        return false;
    m_pageRedirect.clear();
    return true;
}

} // namespace tovin
