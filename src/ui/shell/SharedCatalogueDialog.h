#pragma once

#include "core/settings/ServerAddress.h"

#include <QDialog>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace tovin {

// File > Open Shared Catalogue: the address of a catalogue on a server (host, port, database,
// user), its password and whether to remember it. OK tries to open the catalogue; when that is
// refused the user is told why and the dialog stays open with what was typed. The address the
// dialog hands back is the one that opened, never the fields as they are later: signing in may
// let events run (the keyring answers asynchronously), and the fields stay editable meanwhile.
class SharedCatalogueDialog : public QDialog {
    Q_OBJECT
public:
    // Tries to open the catalogue at the address with the password; why it was refused, in
    // plain words, or nothing when it opened.
    using Attempt = std::function<std::optional<QString>(const ServerAddress& address,
                                                         const QString& password, bool remember)>;

    // A refusal is told through `prompts`, which must outlive the dialog.
    SharedCatalogueDialog(const PromptsInUse& prompts, const ServerAddress& shown, Attempt attempt,
                          QWidget* parent = nullptr);

    // Why the dialog was opened without being asked for (a password that no longer works at
    // start); shown above the fields.
    void setProblem(const QString& text);

    // The address the fields make.
    ServerAddress address() const;
    // The address OK opened; nothing before it did, or when the dialog was cancelled while the
    // catalogue was being opened.
    std::optional<ServerAddress> opened() const { return m_opened; }
    QString password() const;
    bool remember() const;

public slots:
    void accept() override;

private:
    const PromptsInUse& m_prompts;
    Attempt m_attempt;
    ServerAddress m_shown;
    std::optional<ServerAddress> m_opened;
    QLabel* m_problem;
    QLineEdit* m_host;
    QSpinBox* m_port;
    QLineEdit* m_database;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QCheckBox* m_remember;
};

} // namespace tovin
