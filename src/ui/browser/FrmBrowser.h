#pragma once

#include "core/browser/MemberLogin.h"

#include <QUrl>
#include <QWidget>

class QComboBox;
class QLabel;
class QTimer;
class QToolBar;
class QWebEnginePage;
class QWebEngineView;

namespace tovin {

// The web browser screen: a tool bar (Back, Forward, Stop, Refresh, Home, Search), the address
// box with the addresses visited (each once, the latest first) and a web view on the browser's
// own profile. It opens on its start address (normally the supplier's shop) and logs in to the
// supplier's shop with the member name and password handed to it (see MemberLogin).
class FrmBrowser : public QWidget {
    Q_OBJECT
public:
    // Screen sizes are kept in twips; the screen has 15 twips to a pixel.
    static constexpr int Gap = 100 / 15;

    // Opens on `startingAddress` (nothing when empty) with the supplier's member log-in taken
    // from SupplierUserName and SupplierPassword of the shared state.
    explicit FrmBrowser(const QString& startingAddress, QWidget* parent = nullptr);
    ~FrmBrowser() override;

    // Shows the browser screen at an address (the View menu's Web Browser entry, the Products
    // screen's WebPage button): the open screen goes there with the current log-in values,
    // otherwise a new screen opens on it.
    static FrmBrowser* open(const QString& address);

    QString StartingAddress;

    QWebEnginePage* page() const;
    QComboBox* addressBox() const { return m_cboAddress; }

    // Goes to an address as typing it into the address box and pressing Enter does, and
    // takes the log-in values of the shared state for it.
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
    void timTimer_Timer();
    void rememberAddress(const QString& address);
    void placeControls();

    QToolBar* m_tbToolBar;
    QWidget* m_picAddress;
    QLabel* m_lblAddress;
    QComboBox* m_cboAddress;
    QWebEngineView* m_brwWebBrowser;
    QTimer* m_timTimer;
    bool m_suppressNavigation = false;
    bool m_loading = false;
    QUrl m_requested; // the address of the last load the screen started
    MemberLogin m_login;
};

} // namespace tovin
