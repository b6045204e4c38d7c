#pragma once

#include "ui/browser/WebView.h"

#include <QStringList>
#include <QVariant>

class QWebEngineLoadingInfo;
class QWebEngineView;

namespace tovin {

class WebEnginePage;

// The web view on Qt WebEngine.
class WebEngineView : public WebView {
    Q_OBJECT
public:
    // The view runs in the confined profile (WebEngineProfiles::confined()): it shows the
    // program's own pages.
    explicit WebEngineView(QWidget* parent = nullptr);
    ~WebEngineView() override;

    // The engine shares graphics contexts with the windows: call this before the application
    // object is created (main() and tests' initMain()).
    static void prepareApplication();

    void navigate(const QString& address) override;
    void goBack() override;
    void goForward() override;
    void goHome() override;
    void goSearch() override;
    void stop() override;
    void refresh() override;

    QString title() const override;
    QString address() const override;
    bool isBusy() const override;

    // Writes made while a page is loading are held until it has loaded, then written into it.
    void writeHtml(const QString& html) override;

    void setFormField(int formIndex, const QString& fieldName, const QString& value,
                      FormResult done = {}) override;
    void submitForm(int formIndex, FormResult done = {}) override;

    // Runs a script in the shown page; the result arrives later.
    void runJavaScript(const QString& script,
                       const std::function<void(const QVariant&)>& result = {});

    QWebEngineView* engineView() const { return m_view; }
    WebEnginePage* page() const { return m_page; }

private:
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void writeHeld();
    void runFormScript(const QString& script, FormResult done);

    QWebEngineView* m_view;
    WebEnginePage* m_page;
    bool m_loading = false;
    QStringList m_heldWrites;
};

} // namespace tovin
