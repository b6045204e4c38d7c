#pragma once

#include "ui/browser/WebView.h"

#include <QList>
#include <QMap>
#include <QStringList>

namespace tovin {

// A web view for screen tests: it loads nothing, records every operation, and lets the test
// fire the view's events as the engine would.
//
// navigate() (and home, search) only records the address and makes it the current one; no
// event fires until the test fires it. Form operations act on the forms the test sets up.
class FakeWebView : public WebView {
    Q_OBJECT
public:
    explicit FakeWebView(QWidget* parent = nullptr);
    ~FakeWebView() override;

    void navigate(const QString& address) override;
    void goBack() override;
    void goForward() override;
    void goHome() override;
    void goSearch() override;
    void stop() override;
    void refresh() override;

    QString title() const override { return m_title; }
    QString address() const override { return m_address; }
    bool isBusy() const override { return m_busy; }

    void writeHtml(const QString& html) override;

    void setFormField(int formIndex, const QString& fieldName, const QString& value,
                      FormResult done = {}) override;
    void submitForm(int formIndex, FormResult done = {}) override;

    // What the view was asked to do.
    const QStringList& navigations() const { return m_navigations; }
    QString lastNavigation() const { return m_navigations.value(m_navigations.size() - 1); }
    // "Back", "Forward", "Stop" and "Refresh", in order.
    const QStringList& actions() const { return m_actions; }
    // Every text written, in order, and the document made of the writes since the last
    // navigation.
    const QStringList& writes() const { return m_writes; }
    const QString& document() const { return m_document; }
    // Forms: each form is a map of field name to value; submitted forms by position.
    void setForms(const QList<QMap<QString, QString>>& forms) { m_forms = forms; }
    const QList<QMap<QString, QString>>& forms() const { return m_forms; }
    const QList<int>& submittedForms() const { return m_submitted; }
    void clearRecords();

    void setTitle(const QString& title) { m_title = title; }
    void setAddress(const QString& address) { m_address = address; }
    void setBusy(bool busy) { m_busy = busy; }

    // Fire the events. fireBeforeNavigate returns whether a handler cancelled;
    // fireNavigateComplete also makes the address the current one.
    bool fireBeforeNavigate(const QString& address);
    void fireNavigateComplete(const QString& address);
    void fireDownloadComplete();
    void fireNavigateError(const QString& address, int errorCode = -6);

private:
    QStringList m_navigations;
    QStringList m_actions;
    QStringList m_writes;
    QString m_document;
    QList<QMap<QString, QString>> m_forms;
    QList<int> m_submitted;
    QString m_title;
    QString m_address;
    bool m_busy = false;
};

} // namespace tovin
