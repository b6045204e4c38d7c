#pragma once

#include "core/products/HelpPages.h"

#include <QObject>
#include <functional>

namespace tovin {

class WebView;

// The help pages of the Products screen: while its catalogue is empty, or "Show Help" is on,
// the navigation buttons page through them in the screen's web view instead of moving through
// the products, and the status line names the page on show.
class ProductsHelpPages : public QObject {
    Q_OBJECT
public:
    struct Host {
        WebView* webView = nullptr;
        std::function<void(const QString& text)> showStatus;
        // Drops a pending preview, which would otherwise replace the page asked for.
        std::function<void()> cancelPreview;
    };

    ProductsHelpPages(Host host, QObject* parent);

    bool active() const { return m_pages.active(); }
    void setActive(bool active) { m_pages.setActive(active); }
    // Help pages for an empty catalogue; not for a search that matched nothing.
    void followProducts(int count, bool filtered) { m_pages.followProducts(count, filtered); }
    // Back to the demo main page for the next move (the screen loading).
    void startOver() { m_pages.showPage(HelpPages::DemoPage); }

    // Shows the help page the move leads to.
    void move(HelpPages::Move move);
    // The demo main page, shown in place of a product's preview while help is on.
    void showDemoPage();

private:
    Host m_host;
    HelpPages m_pages;
};

} // namespace tovin
