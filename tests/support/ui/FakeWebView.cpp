#include "support/ui/FakeWebView.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

FakeWebView::FakeWebView(QWidget* parent) : WebView(parent) {}

FakeWebView::~FakeWebView() = default;

void FakeWebView::navigate(const QString& address) {
    m_navigations.append(address);
    m_address = address;
    m_document.clear();
}

void FakeWebView::goBack() {
    m_actions.append(u"Back"_s);
}

void FakeWebView::goForward() {
    m_actions.append(u"Forward"_s);
}

void FakeWebView::goHome() {
    navigate(homeAddress());
}

void FakeWebView::goSearch() {
    navigate(searchAddress());
}

void FakeWebView::stop() {
    m_actions.append(u"Stop"_s);
}

void FakeWebView::refresh() {
    m_actions.append(u"Refresh"_s);
}

void FakeWebView::writeHtml(const QString& html) {
    m_writes.append(html);
    m_document += html;
}

void FakeWebView::setFormField(int formIndex, const QString& fieldName, const QString& value,
                               FormResult done) {
    const bool found =
        formIndex >= 0 && formIndex < m_forms.size() && m_forms.at(formIndex).contains(fieldName);
    if (found)
        m_forms[formIndex][fieldName] = value;
    if (done)
        done(found);
}

void FakeWebView::submitForm(int formIndex, FormResult done) {
    const bool found = formIndex >= 0 && formIndex < m_forms.size();
    if (found)
        m_submitted.append(formIndex);
    if (done)
        done(found);
}

void FakeWebView::clearRecords() {
    m_navigations.clear();
    m_actions.clear();
    m_writes.clear();
    m_document.clear();
    m_submitted.clear();
}

bool FakeWebView::fireBeforeNavigate(const QString& address) {
    bool cancel = false;
    emit beforeNavigate(address, &cancel);
    return cancel;
}

void FakeWebView::fireNavigateComplete(const QString& address) {
    m_address = address;
    emit navigateComplete(address);
}

void FakeWebView::fireDownloadComplete() {
    emit downloadComplete();
}

void FakeWebView::fireNavigateError(const QString& address, int errorCode) {
    emit navigateError(address, errorCode);
}

} // namespace tovin
