#pragma once

#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

namespace tovin {

// Picture paths imported from Windows data use "\" and often differ in letter case from the
// files on disk ("Pictures\AB7.gif" for pictures/AB7.gif). The engine turns the "\" into "/"
// but finds no file; this sends such a request to the file ProgramFolder::resolveFile finds.
class LocalFileRedirector : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    explicit LocalFileRedirector(QObject* parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    // True once for the target of the last page (not picture) request sent elsewhere, so the
    // page can let that second navigation through without reporting it again.
    bool takePageRedirect(const QUrl& url);

private:
    QUrl m_pageRedirect;
};

} // namespace tovin
