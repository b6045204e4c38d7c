#pragma once

#include "ui/browser/LocalFileRedirector.h"

#include <QWebEnginePage>

namespace tovin {

// The page of WebEngineView: reports every navigation of the main frame before it starts,
// defines the window.navigate() call that generated pages use in their tick boxes, and
// corrects picture paths stored with "\" or in another letter case.
class WebEnginePage : public QWebEnginePage {
    Q_OBJECT
public:
    WebEnginePage(QWebEngineProfile* profile, QObject* parent = nullptr);

signals:
    void beforeNavigate(const QString& address, bool* cancel);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    LocalFileRedirector m_redirector;
};

} // namespace tovin
