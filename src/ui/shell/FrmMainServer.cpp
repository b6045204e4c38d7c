// The main window's part in shared catalogues: signing in to a catalogue server at start and
// File > Open Shared Catalogue, with the passwords kept in the desktop's keyring.
#include "core/base/Prompts.h"
#include "core/catalogue/ServerSignIn.h"
#include "core/settings/KeyringPasswordStore.h"
#include "core/settings/SettingsStore.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "core/storage/CatalogueLocation.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmTip.h"
#include "ui/shell/SharedCatalogueDialog.h"

#include <QApplication>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

void FrmMain::setPasswordStore(PasswordStore* store) {
    m_passwords = store;
}

void FrmMain::setServerOpener(ServerSignIn::Opener opener) {
    m_serverOpener = std::move(opener);
}

ServerSignIn FrmMain::signIn() {
    return ServerSignIn(passwords(), m_serverOpener);
}

PasswordStore& FrmMain::passwords() {
    // The keyring is reached only when a shared catalogue needs it.
    if (m_passwords)
        return *m_passwords;
    if (!m_keyring)
        m_keyring = std::make_unique<KeyringPasswordStore>();
    return *m_keyring;
}

bool FrmMain::signInAtStart() {
    // A password written into the stored address is used, but never kept there or shown.
    QString password;
    const std::optional<ServerAddress> address = ServerAddress::parse(m_catalogue.path, &password);
    m_catalogue.path = CatalogueLocation::withoutPassword(m_catalogue.path);
    if (!address)
        return true; // the screens tell why it cannot be opened
    ServerSignIn server = signIn();
    if (password.isEmpty())
        password = server.keptPassword(m_catalogue.path).value_or(QString());
    // Without any password the server may still let us in (a password file, a trusted socket).
    const ServerSignIn::Outcome outcome = server.signIn(m_catalogue.path, password, std::nullopt);
    if (outcome.opened)
        return true;
    // The splash screen stays above other windows and would cover the question.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->windowType() == Qt::SplashScreen)
            window->hide();
    const QString chosen = askForServer(m_catalogue.path, outcome.message, QString());
    if (chosen.isEmpty())
        return false;
    m_catalogue.path = chosen;
    return true;
}

void FrmMain::mnuFileOpenShared_Click() {
    StepGuard step(formLabel(u"frmMain"_s, u"mnuFileOpenShared_Click"_s), m_prompts);
    QString chosen;
    step([&] {
        const QString shown =
            CatalogueLocation::isServer(m_catalogue.path) ? m_catalogue.path : QString();
        chosen = askForServer(shown, QString(),
                              u"\n\nThe catalogue "_s + m_catalogue.path + u" stays open."_s);
    });
    if (!chosen.isEmpty())
        step([&] { makeOpen(chosen); });
    step([this] { showLocation(); });
}

QString FrmMain::askForServer(const QString& shown, const QString& problem,
                              const QString& staysOpen) {
    ServerSignIn server = signIn();
    const auto attempt = [&](const ServerAddress& address, const QString& password,
                             bool remember) -> std::optional<QString> {
        const ServerSignIn::Outcome outcome = server.signIn(address.uri(), password, remember);
        if (!outcome.opened)
            return u"The shared catalogue "_s + address.uri() + u" could not be opened: "_s +
                   outcome.message + staysOpen;
        // The catalogue opened; a password the keyring would not keep only costs a question
        // at the next start.
        if (!outcome.message.isEmpty())
            m_prompts.notice(outcome.message, MessageIcon::Information,
                             SettingsStore::ApplicationTitle);
        return std::nullopt;
    };
    SharedCatalogueDialog dialog(m_prompts, ServerAddress::parse(shown).value_or(ServerAddress()),
                                 attempt, this);
    dialog.setProblem(problem);
    // A sign-in that succeeded in a dialog then cancelled leaves its password for libpq; the
    // catalogue that stays open goes on with the one it had.
    const std::optional<QByteArray> password = qEnvironmentVariableIsSet("PGPASSWORD")
                                                   ? std::optional(qgetenv("PGPASSWORD"))
                                                   : std::nullopt;
    const bool accepted = dialog.exec() == QDialog::Accepted;
    const std::optional<ServerAddress> opened = dialog.opened();
    if (accepted && opened)
        return opened->uri();
    if (password)
        qputenv("PGPASSWORD", *password);
    else
        qunsetenv("PGPASSWORD");
    return QString();
}

} // namespace tovin
