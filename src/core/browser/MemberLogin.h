#pragma once

#include <QString>
#include <QUrl>

namespace tovin {

// The automatic log-in to the supplier's web shop: when the shop's member log-in page arrives,
// its first form gets the supplier's member name ("MemberNo") and password ("PassWord") and is
// sent.
//
// The password goes only to the supplier: a page is filled only when its title is exactly the
// log-in title, it was served over https by the host of the supplier's web address (a leading
// "www." aside) or a sub-domain of it, and its form sends to such an address too (a log-in page
// of the shop whose form posts elsewhere gets nothing). And it is sent only once: when the log-in
// page comes straight back after it was sent, the site refused the name or password, so the form is
// filled again but not sent (sending it on every arrival would lock the shop's account).
class MemberLogin {
public:
    enum class Action {
        None,          // not the supplier's log-in page, or no name or password to give
        FillAndSubmit, // fill the form and send it
        FillOnly,      // fill the form, leave sending it to the user
        FillRefused,   // as FillOnly; the page came straight back: the site refused the log-in
    };

    static QString loginTitle(); // "KVB | MEMBERS DIRECTORY | MEMBER LOGIN"

    MemberLogin() = default;
    MemberLogin(const QString& supplierAddress, QString userName, QString password);

    // True for a page served over https by the supplier's site (see above).
    static bool isSupplierPage(const QUrl& page, const QString& supplierAddress);

    // What to do with a page that has finished loading. Counts a FillAndSubmit as sent.
    Action pageLoaded(const QUrl& page, const QString& title);
    // The form could not be sent (no form or fields on the page): it does not count as sent.
    void notSent();

    // Where the log-in form sends to decides whether it is filled at all, in two steps:
    // targetScript() asks the loaded page for the address its first form sends to, as the page
    // itself resolves it (against its own address or its <base>); formTarget() weighs the
    // answer; fillScript() fills the form only while it still sends to that address.
    enum class Target {
        Supplier,  // the supplier's site over https: fill it
        Elsewhere, // any other address: fill nothing, and tell the user (formElsewhere())
        NoForm,    // another page by now, or no log-in form: nothing to fill
    };
    // Answers the form's address, or "changed" (another page by now), "noform" or "nofields".
    static QString targetScript(const QUrl& page);
    Target formTarget(const QString& answer) const;
    static QString formElsewhere();

    // A script for the loaded page: it fills the first form's fields (and sends the form when
    // `submit` is true) only while the page is still served over https by the host of `page`,
    // carries the log-in title and its form sends to `target` (the answer of targetScript()),
    // and answers "submitted", "filled", "changed" (another page or form address by now),
    // "noform" or "nofields".
    QString fillScript(const QUrl& page, const QString& target, bool submit) const;

private:
    QString m_supplierAddress;
    QString m_userName;
    QString m_password;
    bool m_sent = false;     // the form was sent once by this screen
    bool m_awaiting = false; // and the page after it has not arrived yet
};

} // namespace tovin
