#include "ui/browser/FrmBrowser.h"

#include "core/base/Prompts.h"
#include "core/settings/SettingsStore.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "ui/browser/BrowserAddress.h"
#include "ui/browser/BrowserIcons.h"
#include "ui/browser/BrowserProfile.h"
#include "ui/browser/WebEnginePage.h"
#include "ui/browser/WebEngineProfiles.h"
#include "ui/browser/WebView.h"
#include "ui/shell/BusyCursor.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ControlTexts.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QToolBar>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

QString browserLabel(const QString& procedure) {
    return formLabel(u"frmBrowser"_s, procedure);
}

// The search page of the Search button; a shop can name another one in the settings.
QString searchPage() {
    return SettingsStore::program().value(u"Settings"_s, u"BrowserSearchPage"_s,
                                          u"https://duckduckgo.com/"_s);
}

// Only real web sites go to the browser's own profile; a local file, whatever screen shows it,
// stays in the confined one, where its scripts reach neither other files nor the network.
bool isWebSite(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == u"http"_s || scheme == u"https"_s;
}

} // namespace

FrmBrowser::FrmBrowser(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                       const SupplierShopLogin& shop, QWidget* parent)
    : QWidget(parent), StartingAddress(shop.address), m_prompts(prompts),
      m_tbToolBar(new QToolBar(this)), m_picAddress(new QWidget(this)),
      m_lblAddress(new QLabel(u"&Address:"_s, m_picAddress)),
      m_cboAddress(new QComboBox(m_picAddress)), m_brwWebBrowser(new QWebEngineView(this)),
      m_timTimer(new QTimer(this)), m_webPage(new QWebEnginePage(BrowserProfile::instance(), this)),
      m_localPage(new WebEnginePage(WebEngineProfiles::confined(), this)), m_shop(shop),
      m_login(shop.address, shop.userName, shop.password) {
    setObjectName(u"frmBrowser"_s);
    BrowserProfile::instance()->useShell(&catalogue, &prompts);
    setWindowTitle(u"Web Browser"_s);
    m_tbToolBar->setObjectName(u"tbToolBar"_s);
    m_tbToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_tbToolBar->setIconSize(QSize(24, 24));
    for (const QString& key :
         {u"Back"_s, u"Forward"_s, u"Stop"_s, u"Refresh"_s, u"Home"_s, u"Search"_s}) {
        QAction* button = m_tbToolBar->addAction(browserIcon(key), key);
        button->setObjectName(key);
        button->setToolTip(key);
        connect(button, &QAction::triggered, this, [this, key] { tbToolBar_ButtonClick(key); });
    }
    m_picAddress->setObjectName(u"picAddress"_s);
    m_lblAddress->setObjectName(u"lblAddress"_s);
    m_lblAddress->setBuddy(m_cboAddress);
    m_cboAddress->setObjectName(u"cboAddress"_s);
    m_cboAddress->setEditable(true);
    // The list is kept by the screen (each address once, the latest first), not by typing.
    m_cboAddress->setInsertPolicy(QComboBox::NoInsert);
    m_cboAddress->setMaxVisibleItems(20);
    connect(m_cboAddress->lineEdit(), &QLineEdit::returnPressed, this,
            &FrmBrowser::cboAddress_Click);
    connect(m_cboAddress, &QComboBox::activated, this, [this] { cboAddress_Click(); });

    m_brwWebBrowser->setObjectName(u"brwWebBrowser"_s);
    m_brwWebBrowser->setPage(m_localPage);
    watch(m_webPage);
    watch(m_localPage);

    m_timTimer->setObjectName(u"timTimer"_s);
    m_timTimer->setInterval(250);
    connect(m_timTimer, &QTimer::timeout, this, &FrmBrowser::timTimer_Timer);

    setMinimumSize(320, 240);
    resize(sizeHint());
    Form_Load();
}

FrmBrowser::~FrmBrowser() {
    // The profile outlives the screen; it must not keep reading what it was lent.
    if (auto* profile = qobject_cast<BrowserProfile*>(m_webPage->profile()))
        profile->useShell(nullptr, nullptr);
}

FrmBrowser* FrmBrowser::open(const QString& address) {
    const QString name = u"frmBrowser"_s;
    if (auto* open = qobject_cast<FrmBrowser*>(ChildWindows::find(name))) {
        open->showAddress(address);
        ChildWindows::show(name);
        return open;
    }
    return qobject_cast<FrmBrowser*>(ChildWindows::show(name));
}

FrmBrowser* FrmBrowser::open() {
    // An open screen is sent to its shop's address; a new one starts there by itself.
    auto* shown = qobject_cast<FrmBrowser*>(ChildWindows::find(u"frmBrowser"_s));
    return open(shown ? shown->m_shop.address : QString());
}

QWebEnginePage* FrmBrowser::page() const {
    return m_brwWebBrowser->page();
}

void FrmBrowser::watch(QWebEnginePage* watched) {
    // Only the page shown speaks for the screen; the other one may still end a load.
    connect(watched, &QWebEnginePage::loadStarted, this, [this, watched] {
        if (watched == page())
            m_loading = true;
    });
    connect(watched, &QWebEnginePage::loadFinished, this, [this, watched](bool ok) {
        if (watched == page())
            brwWebBrowser_DownloadComplete(ok);
    });
    connect(watched, &QWebEnginePage::titleChanged, this, [this, watched] {
        if (watched == page() && !m_loading)
            setWindowTitle(page()->title());
    });
}

void FrmBrowser::showPageFor(const QUrl& url) {
    QWebEnginePage* wanted = isWebSite(url) ? m_webPage : m_localPage;
    if (wanted == page())
        return;
    showPage(wanted);
    m_otherIsBehind = true;
}

void FrmBrowser::showPage(QWebEnginePage* shown) {
    m_brwWebBrowser->setPage(shown);
    m_loading = false;
}

void FrmBrowser::Form_Load() {
    StepGuard step(browserLabel(u"Form_Load"_s), m_prompts);
    BusyCursor busy;
    step([this] { ApplyControlTexts(this); });
    step([this] { placeControls(); });
    if (StartingAddress.isEmpty())
        return;
    step([this] {
        rememberAddress(StartingAddress);
        m_timTimer->start();
        navigate(StartingAddress);
    });
}

void FrmBrowser::showAddress(const QString& address) {
    StartingAddress = address;
    m_login = MemberLogin(address, m_shop.userName, m_shop.password);
    m_suppressNavigation = true;
    m_cboAddress->setEditText(address);
    m_suppressNavigation = false;
    cboAddress_Click();
}

void FrmBrowser::navigate(const QString& address) {
    const QUrl url = BrowserAddress::toUrl(address);
    if (!url.isValid() || url.isEmpty())
        return;
    // Enter in the address box may also count as picking the same entry of its list: one
    // load is enough.
    if (m_loading && url == m_requested)
        return;
    m_requested = url;
    showPageFor(url);
    m_loading = true;
    page()->load(url);
}

void FrmBrowser::cboAddress_Click() {
    StepGuard step(browserLabel(u"cboAddress_Click"_s), m_prompts);
    if (m_suppressNavigation)
        return;
    step([this] {
        m_timTimer->start();
        navigate(m_cboAddress->currentText());
    });
}

void FrmBrowser::tbToolBar_ButtonClick(const QString& key) {
    // Going back with no history and the like are passed over.
    StepGuard step(browserLabel(u"tbToolBar_ButtonClick"_s), ErrorStyle::IgnoreAndResume);
    step([this] { m_timTimer->start(); });
    step([&] {
        QWebEnginePage* other = page() == m_webPage ? m_localPage : m_webPage;
        // Going past the first or last page of the one shown returns to the other one as it
        // was left.
        const bool toOther =
            !other->url().isEmpty() &&
            (key == u"Back"_s ? m_otherIsBehind && !page()->history()->canGoBack()
                              : !m_otherIsBehind && !page()->history()->canGoForward());
        if ((key == u"Back"_s || key == u"Forward"_s) && toOther) {
            showPage(other);
            m_otherIsBehind = key == u"Forward"_s;
            brwWebBrowser_NavigateComplete();
        } else if (key == u"Back"_s) {
            m_brwWebBrowser->back();
        } else if (key == u"Forward"_s) {
            m_brwWebBrowser->forward();
        } else if (key == u"Refresh"_s) {
            m_brwWebBrowser->reload();
        } else if (key == u"Home"_s) {
            // The shop front it was opened on, or the program's own home page.
            navigate(StartingAddress.isEmpty() ? WebView::homeAddress() : StartingAddress);
        } else if (key == u"Search"_s) {
            navigate(searchPage());
        } else if (key == u"Stop"_s) {
            m_timTimer->stop();
            m_brwWebBrowser->stop();
            setWindowTitle(page()->title());
        }
    });
}

void FrmBrowser::brwWebBrowser_DownloadComplete(bool ok) {
    m_loading = false;
    if (ok)
        brwWebBrowser_NavigateComplete();
    StepGuard step(browserLabel(u"brwWebBrowser_DownloadComplete"_s), m_prompts);
    MemberLogin::Action action = MemberLogin::Action::None;
    const QUrl url = page()->url();
    step([&] { action = ok ? m_login.pageLoaded(url, page()->title()) : action; });
    if (action == MemberLogin::Action::None) {
        emit loginChecked(action, QString());
        return;
    }
    QPointer<FrmBrowser> self(this);
    // Scripts run apart from the page's own, which cannot change what they call.
    page()->runJavaScript(MemberLogin::targetScript(url), QWebEngineScript::ApplicationWorld,
                          [self, url, action](const QVariant& answer) {
                              if (self)
                                  self->fillLogIn(url, action, answer.toString());
                          });
}

void FrmBrowser::fillLogIn(const QUrl& url, MemberLogin::Action action, const QString& target) {
    const bool submit = action == MemberLogin::Action::FillAndSubmit;
    const MemberLogin::Target sendsTo = m_login.formTarget(target);
    if (sendsTo != MemberLogin::Target::Supplier) {
        if (submit)
            m_login.notSent();
        const bool elsewhere = sendsTo == MemberLogin::Target::Elsewhere;
        if (elsewhere)
            m_prompts.notice(MemberLogin::formElsewhere(), MessageIcon::Exclamation);
        emit loginChecked(action, elsewhere ? u"elsewhere"_s : target);
        return;
    }
    QPointer<FrmBrowser> self(this);
    page()->runJavaScript(
        m_login.fillScript(url, target, submit), QWebEngineScript::ApplicationWorld,
        [self, action, submit](const QVariant& answer) {
            if (!self)
                return;
            const QString result = answer.toString();
            if (submit && result != u"submitted"_s)
                self->m_login.notSent();
            if (action == MemberLogin::Action::FillRefused && result == u"filled"_s)
                self->m_prompts.notice(
                    u"The supplier's web site refused the member name or password. They have "
                    u"been filled in again but not sent: check them on the supplier screen, or "
                    u"correct them on the page and log in yourself."_s,
                    MessageIcon::Exclamation);
            emit self->loginChecked(action, result);
        });
}

void FrmBrowser::brwWebBrowser_NavigateComplete() {
    StepGuard step(browserLabel(u"brwWebBrowser_NavigateComplete"_s), m_prompts);
    step([this] { setWindowTitle(page()->title()); });
    step([this] { rememberAddress(BrowserAddress::fromUrl(page()->url())); });
}

void FrmBrowser::rememberAddress(const QString& address) {
    if (address.isEmpty())
        return;
    // Each address once, the latest first; changing the list navigates nowhere.
    m_suppressNavigation = true;
    const int found =
        m_cboAddress->findText(address, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (found >= 0)
        m_cboAddress->removeItem(found);
    m_cboAddress->insertItem(0, address);
    m_cboAddress->setCurrentIndex(0);
    m_suppressNavigation = false;
}

void FrmBrowser::timTimer_Timer() {
    if (m_loading) {
        setWindowTitle(u"Working..."_s);
        return;
    }
    m_timTimer->stop();
    setWindowTitle(page()->title());
}

void FrmBrowser::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeControls();
}

void FrmBrowser::placeControls() {
    // The address box and the page fill the width less a small gap; the page takes the height
    // below the address panel.
    const int barHeight = m_tbToolBar->sizeHint().height();
    m_tbToolBar->setGeometry(0, 0, width(), barHeight);
    const int labelHeight = m_lblAddress->sizeHint().height();
    const int boxHeight = m_cboAddress->sizeHint().height();
    m_picAddress->setGeometry(0, barHeight, width(), labelHeight + boxHeight + 4);
    m_lblAddress->setGeometry(Gap, 0, m_lblAddress->sizeHint().width(), labelHeight);
    m_cboAddress->setGeometry(Gap, labelHeight + 2, qMax(0, width() - 2 * Gap), boxHeight);
    const int top = m_picAddress->y() + m_picAddress->height();
    m_brwWebBrowser->setGeometry(Gap, top, qMax(0, width() - 2 * Gap),
                                 qMax(0, height() - top - Gap));
}

} // namespace tovin
