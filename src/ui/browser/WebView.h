#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace tovin {

// The embedded web view the screens show generated pages, help pages and web sites in.
//
// Addresses are texts: a local file path (absolute, or relative to the program folder; "\"
// separators and a letter case that differs from the file on disk are accepted, as picture
// paths from Windows data have them) or a web address with its scheme ("https://...",
// "about:blank"). The view reports local files by their path and everything else by its URL.
//
// The program uses WebEngineView; screen tests use FakeWebView.
class WebView : public QWidget {
    Q_OBJECT
public:
    explicit WebView(QWidget* parent = nullptr);
    ~WebView() override;

    // Reports whether a form operation found the form (and field) it was meant for. It may run
    // before the operation returns or later, once the page has answered.
    using FormResult = std::function<void(bool found)>;

    // The home page is the program folder's "Help/demo.htm". The search page is "about:blank":
    // the program sends nobody to a web search site of its own.
    static QString homeAddress();
    static QString searchAddress();

    virtual void navigate(const QString& address) = 0;
    virtual void goBack() = 0;    // nothing happens without history
    virtual void goForward() = 0; // nothing happens without history
    virtual void goHome() = 0;
    virtual void goSearch() = 0;
    virtual void stop() = 0;
    virtual void refresh() = 0;

    virtual QString title() const = 0;
    virtual QString address() const = 0;
    // True from the call that starts a navigation until that navigation has ended.
    virtual bool isBusy() const = 0;

    // Writes HTML into the shown document the way a page script's document.write does: the
    // first write after a page has loaded starts a new document, later writes append to it.
    virtual void writeHtml(const QString& html) = 0;

    // The forms of the loaded document, by position (0 = first form) and their fields by name.
    virtual void setFormField(int formIndex, const QString& fieldName, const QString& value,
                              FormResult done = {}) = 0;
    virtual void submitForm(int formIndex, FormResult done = {}) = 0;

signals:
    // A navigation is about to start; a handler sets *cancel to true to refuse it.
    void beforeNavigate(const QString& address, bool* cancel);
    // A page has loaded.
    void navigateComplete(const QString& address);
    // A load has ended, whether it succeeded, failed or was stopped.
    void downloadComplete();
    // A page could not be loaded (errorCode is the engine's error number).
    void navigateError(const QString& address, int errorCode);
};

} // namespace tovin
