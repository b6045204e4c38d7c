#pragma once

#include "core/base/Prompts.h"
#include "core/browser/MemberLogin.h"
#include "core/products/SupplierShopLogin.h"

#include <QUrl>
#include <QWidget>

class QComboBox;
class QLabel;
class QTimer;
class QToolBar;
class QWebEnginePage;
class QWebEngineView;

namespace tovin {

struct CatalogueInUse;

// The web browser screen: a tool bar (Back, Forward, Stop, Refresh, Home, Search), the address
// box with the addresses visited (each once, the latest first) and a web view. Real web sites
// show in the browser's own profile; the program's own pages (catalogue pages, the preview page
// with a supplier's text) show in the confined profile of the other views, as anywhere else.
// It opens on its start address (normally the supplier's shop) and logs in to the supplier's
// shop with the member name and password handed to it (see MemberLogin).
class FrmBrowser : public QWidget {
    Q_OBJECT
public:
    // Screen sizes are kept in twips; the screen has 15 twips to a pixel.
    static constexpr int Gap = 100 / 15;

    // Opens on the shop's address (nothing when empty). The screen keeps `shop` and takes the
    // member log-in from it at each address it is sent to, so `shop` must outlive the screen.
    FrmBrowser(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
               const SupplierShopLogin& shop, QWidget* parent = nullptr);
    ~FrmBrowser() override;

    // Shows the browser screen at an address (the Products screen's WebPage button): the open
    // screen goes there with the current log-in values, otherwise a new screen opens on it.
    static FrmBrowser* open(const QString& address);
    // The same at the address of the shop log-in the screen was given (the View menu's Web
    // Browser entry).
    static FrmBrowser* open();

    QString StartingAddress;

    // The page shown now, and the one that shows real web sites.
    QWebEnginePage* page() const;
    QWebEnginePage* webPage() const { return m_webPage; }
    QComboBox* addressBox() const { return m_cboAddress; }

    // Goes to an address as typing it into the address box and pressing Enter does, and
    // takes the shop's log-in values as they are now for it.
    void showAddress(const QString& address);

    void cboAddress_Click();
    void tbToolBar_ButtonClick(const QString& key);

    // The controls are placed by hand (see placeControls), so the size a new window gets is
    // given here.
    QSize sizeHint() const override { return QSize(760, 540); }

signals:
    // A page has been looked at for the member log-in: `action` says what was done, `result`
    // is the page's answer to the filling ("submitted", "filled", ... or "" when nothing was
    // filled, "elsewhere" when its form sends to another site).
    void loginChecked(tovin::MemberLogin::Action action, const QString& result);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Load();
    void navigate(const QString& address);
    void brwWebBrowser_NavigateComplete();
    void brwWebBrowser_DownloadComplete(bool ok);
    void fillLogIn(const QUrl& url, MemberLogin::Action action, const QString& target);
    void watch(QWebEnginePage* page);
    // Shows the page of the profile an address belongs in.
    void showPageFor(const QUrl& url);
    void showPage(QWebEnginePage* page);
    void timTimer_Timer();
    void rememberAddress(const QString& address);
    void placeControls();

    // Where the screen's questions and notices go.
    const PromptsInUse& m_prompts;
    QToolBar* m_tbToolBar;
    QWidget* m_picAddress;
    QLabel* m_lblAddress;
    QComboBox* m_cboAddress;
    QWebEngineView* m_brwWebBrowser;
    QTimer* m_timTimer;
    QWebEnginePage* m_webPage;
    QWebEnginePage* m_localPage;
    // The page not shown holds the pages before the shown one's (Back returns to it), or,
    // after Back went there, those after it (Forward does).
    bool m_otherIsBehind = false;
    bool m_suppressNavigation = false;
    bool m_loading = false;
    QUrl m_requested; // the address of the last load the screen started
    const SupplierShopLogin& m_shop;
    MemberLogin m_login;
};

} // namespace tovin
