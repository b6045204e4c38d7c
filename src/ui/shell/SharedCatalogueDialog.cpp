#include "ui/shell/SharedCatalogueDialog.h"

#include "core/base/Prompts.h"
#include "core/settings/SettingsStore.h"
#include "ui/shell/BusyCursor.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

SharedCatalogueDialog::SharedCatalogueDialog(const PromptsInUse& prompts,
                                             const ServerAddress& shown, Attempt attempt,
                                             QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_attempt(std::move(attempt)), m_shown(shown),
      m_problem(new QLabel(this)), m_host(new QLineEdit(shown.host, this)),
      m_port(new QSpinBox(this)), m_database(new QLineEdit(shown.database, this)),
      m_user(new QLineEdit(shown.user, this)), m_password(new QLineEdit(this)),
      m_remember(new QCheckBox(u"&Remember the password"_s, this)) {
    setObjectName(u"dlgSharedCatalogue"_s);
    setWindowTitle(u"Open Shared Catalogue"_s);
    m_problem->setObjectName(u"lblProblem"_s);
    m_problem->setTextFormat(Qt::PlainText);
    m_problem->setWordWrap(true);
    m_problem->hide();
    m_host->setObjectName(u"txtHost"_s);
    m_host->setPlaceholderText(u"empty or a folder for this computer's socket"_s);
    m_port->setObjectName(u"txtPort"_s);
    m_port->setRange(1, 65535);
    m_port->setValue(shown.port);
    m_database->setObjectName(u"txtDatabase"_s);
    m_user->setObjectName(u"txtUser"_s);
    m_password->setObjectName(u"txtPassword"_s);
    m_password->setEchoMode(QLineEdit::Password);
    m_remember->setObjectName(u"chkRemember"_s);
    m_remember->setChecked(true);

    auto* fields = new QFormLayout;
    fields->addRow(u"&Host:"_s, m_host);
    fields->addRow(u"&Port:"_s, m_port);
    fields->addRow(u"&Database:"_s, m_database);
    fields->addRow(u"&User:"_s, m_user);
    fields->addRow(u"Pass&word:"_s, m_password);
    fields->addRow(QString(), m_remember);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(u"cmdOK"_s);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(u"cmdCancel"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &SharedCatalogueDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SharedCatalogueDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_problem);
    layout->addLayout(fields);
    layout->addWidget(buttons);
    // An address already known only lacks its password.
    if (!shown.database.isEmpty())
        m_password->setFocus();
}

void SharedCatalogueDialog::setProblem(const QString& text) {
    m_problem->setText(text);
    m_problem->setVisible(!text.isEmpty());
}

ServerAddress SharedCatalogueDialog::address() const {
    ServerAddress typed;
    typed.host = m_host->text().trimmed();
    typed.port = m_port->value();
    typed.database = m_database->text().trimmed();
    typed.user = m_user->text().trimmed();
    // Parameters the dialog does not show belong to the address it was opened on.
    typed.options = m_shown.options;
    return typed;
}

QString SharedCatalogueDialog::password() const {
    return m_password->text();
}

bool SharedCatalogueDialog::remember() const {
    return m_remember->isChecked();
}

void SharedCatalogueDialog::accept() {
    // What is tried is what the fields said when OK was pressed; anything typed while the
    // catalogue opens was never confirmed.
    const ServerAddress tried = address();
    std::optional<QString> refusal;
    {
        BusyCursor busy;
        refusal = m_attempt(tried, password(), remember());
    }
    // Cancelled while the catalogue was opening: the user's last word was not to move.
    if (!isVisible())
        return;
    if (!refusal) {
        m_opened = tried;
        QDialog::accept();
        return;
    }
    m_prompts.notice(*refusal, MessageIcon::Exclamation, SettingsStore::ApplicationTitle);
}

} // namespace tovin
