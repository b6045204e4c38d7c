#include "core/browser/MemberLogin.h"

#include "core/browser/ScriptText.h"

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// The host that stands for the supplier's site: "www.kvb.example" and "kvb.example" are the
// same site, so the log-in may sit on "members.kvb.example".
QString siteHost(const QString& supplierAddress) {
    const QUrl url = QUrl::fromUserInput(supplierAddress.trimmed());
    QString host = url.host().toLower();
    if (host.startsWith(u"www."_s) && host.count(u'.') >= 2)
        host.remove(0, 4);
    return host;
}

// The start of both scripts: the page is still the log-in page of `host` over https, and its
// first form has the two fields (`form`, `member`, `secret`).
QString pageCheck() {
    return uR"(  if (location.protocol !== "https:" || location.hostname.toLowerCase() !== host ||
      document.title !== title)
    return "changed";
  var form = document.forms[0];
  if (!form) return "noform";
  var member = form.elements.namedItem("MemberNo");
  var secret = form.elements.namedItem("PassWord");
  if (!member || !secret) return "nofields";
)"_s;
}

} // namespace

QString MemberLogin::loginTitle() {
    return u"KVB | MEMBERS DIRECTORY | MEMBER LOGIN"_s;
}

MemberLogin::MemberLogin(const QString& supplierAddress, QString userName, QString password)
    : m_supplierAddress(supplierAddress), m_userName(std::move(userName)),
      m_password(std::move(password)) {}

bool MemberLogin::isSupplierPage(const QUrl& page, const QString& supplierAddress) {
    const QString site = siteHost(supplierAddress);
    const QString host = page.host().toLower();
    if (page.scheme() != u"https"_s || site.isEmpty() || host.isEmpty())
        return false;
    return host == site || host.endsWith(u'.' + site);
}

MemberLogin::Action MemberLogin::pageLoaded(const QUrl& page, const QString& title) {
    const bool wasAwaiting = std::exchange(m_awaiting, false);
    if (title != loginTitle() || !isSupplierPage(page, m_supplierAddress))
        return Action::None;
    if (m_userName.isEmpty() || m_password.isEmpty())
        return Action::None;
    if (m_sent)
        return wasAwaiting ? Action::FillRefused : Action::FillOnly;
    m_sent = true;
    m_awaiting = true;
    return Action::FillAndSubmit;
}

void MemberLogin::notSent() {
    m_sent = false;
    m_awaiting = false;
}

QString MemberLogin::targetScript(const QUrl& page) {
    return uR"((function (host, title) {
)"_s + pageCheck() +
           uR"(  // A field named "action" hides the form's own property.
  return Object.getOwnPropertyDescriptor(HTMLFormElement.prototype, "action").get.call(form);
})()"_s + scriptString(page.host().toLower()) +
           u", "_s + scriptString(loginTitle()) + u")"_s;
}

MemberLogin::Target MemberLogin::formTarget(const QString& answer) const {
    if (answer.isEmpty() || answer == u"changed"_s || answer == u"noform"_s ||
        answer == u"nofields"_s)
        return Target::NoForm;
    return isSupplierPage(QUrl(answer, QUrl::StrictMode), m_supplierAddress) ? Target::Supplier
                                                                             : Target::Elsewhere;
}

QString MemberLogin::formElsewhere() {
    return u"The log-in form of this page does not send to the supplier's own secure web "
           u"site, so the member name and password were not filled in."_s;
}

QString MemberLogin::fillScript(const QUrl& page, const QString& target, bool submit) const {
    // The address is read again just before filling and sending, in the same run of the
    // script: nothing on the page can change it in between. The form's own submit() may be
    // hidden by a field named "submit".
    return uR"((function (host, title, target, name, password, submit) {
)"_s + pageCheck() +
           uR"(  if (Object.getOwnPropertyDescriptor(HTMLFormElement.prototype, "action").get.call(
          form) !== target)
    return "changed";
  member.value = name;
  secret.value = password;
  if (!submit) return "filled";
  HTMLFormElement.prototype.submit.call(form);
  return "submitted";
})()"_s + scriptString(page.host().toLower()) +
           u", "_s + scriptString(loginTitle()) + u", "_s + scriptString(target) + u", "_s +
           scriptString(m_userName) + u", "_s + scriptString(m_password) + u", "_s +
           (submit ? u"true"_s : u"false"_s) + u")"_s;
}

} // namespace tovin
