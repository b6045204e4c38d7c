#pragma once

#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

namespace tovin {

// The rules of the confined profile, checked on every request its pages make (pages, frames,
// pictures, scripts, fetch and XMLHttpRequest, WebSockets, pings):
// - a local file is loaded only when it lies under the program folder;
// - a network address is reached only by a page navigation the program started itself
//   (navigate(), and going back, forward, reloading or being redirected from there) or by a
//   web page the program opened, for its own parts; a page of the program (a local file, a
//   written page) reaches none: its links, forms, scripts and sockets are blocked;
// - addresses that stay inside the engine (data:, blob:, about:) are left alone; any other
//   scheme is blocked.
class ConfinedRequests : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    explicit ConfinedRequests(QObject* parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    // The decision for one request; `initiator` is the origin of the document that made it.
    static bool allowed(const QWebEngineUrlRequestInfo& info);
    // True when the path, symbolic links followed, lies in the program folder.
    static bool insideProgramFolder(const QString& path);
};

} // namespace tovin
