#include "ui/products/ProductsHelpPages.h"

#include "core/files/ProgramFolder.h"
#include "ui/browser/WebView.h"

namespace tovin {

ProductsHelpPages::ProductsHelpPages(Host host, QObject* parent)
    : QObject(parent), m_host(std::move(host)) {}

void ProductsHelpPages::move(HelpPages::Move move) {
    m_host.cancelPreview();
    m_pages.showPage(m_pages.target(move));
    m_host.webView->navigate(m_pages.address(ProgramFolder::path()));
    m_host.showStatus(m_pages.status());
}

void ProductsHelpPages::showDemoPage() {
    m_host.webView->navigate(HelpPages::demoAddress(ProgramFolder::path()));
}

} // namespace tovin
