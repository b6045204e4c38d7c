#include "ui/shell/FrmAbout.h"

#include "core/base/Prompts.h"
#include "core/settings/SettingsStore.h"
#include "core/shell/ErrorReporting.h"
#include "ui/shell/BusyCursor.h"
#include "ui/shell/ControlTexts.h"
#include "ui/shell/SystemInfoTool.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

const QString FrmAbout::LegalNotice =
    u"Warning: this program is protected by copyright law. Copying or passing on this "
    u"program, or any part of it, without the permission of its makers may be against the "
    u"law and may be prosecuted."_s;

namespace {

QString aboutLabel(const QString& procedure) {
    return formLabel(u"frmAbout"_s, procedure);
}

QLabel* addLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    return l;
}

void notice(const PromptsInUse& prompts, const QString& text) {
    prompts.notice(text, MessageIcon::Information, SettingsStore::ApplicationTitle);
}

} // namespace

FrmAbout::FrmAbout(const PromptsInUse& prompts, QWidget* parent)
    : QDialog(parent), m_prompts(prompts) {
    setObjectName(u"frmAbout"_s);
    setWindowTitle(u"About Tovin's Catalog 2001"_s);

    auto* icon = new QLabel(this);
    icon->setObjectName(u"picIcon"_s);
    icon->setPixmap(QPixmap(u":/icons/app.png"_s));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    QLabel* title = addLabel(this, u"lblTitle"_s, u"Tovin's Catalog 2003 Demo"_s);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    title->setFont(titleFont);
    QLabel* version = addLabel(this, u"lblVersion"_s, u"Version 4.0"_s);
    QLabel* description =
        addLabel(this, u"lblDescription"_s,
                 u"        Inventory & Cataloging Software!        Windows And NT"_s);
    QLabel* disclaimer = addLabel(this, u"lblDisclaimer"_s, QString());
    disclaimer->setMinimumHeight(disclaimer->fontMetrics().lineSpacing() * 3);

    auto* line = new QFrame(this);
    line->setObjectName(u"Line1"_s);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* ok = new QPushButton(u"OK"_s, this);
    ok->setObjectName(u"cmdOK"_s);
    ok->setDefault(true);
    auto* sysInfo = new QPushButton(u"&System Info..."_s, this);
    sysInfo->setObjectName(u"cmdSysInfo"_s);

    auto* texts = new QVBoxLayout;
    texts->addWidget(title);
    texts->addWidget(version);
    texts->addWidget(description);
    texts->addStretch();

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);
    buttons->addStretch();

    auto* grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0);
    grid->addLayout(texts, 0, 1);
    grid->addWidget(line, 1, 0, 1, 3);
    grid->addWidget(disclaimer, 2, 0, 1, 2);
    grid->addLayout(buttons, 2, 2);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(460);

    connect(ok, &QPushButton::clicked, this, &FrmAbout::cmdOK_Click);
    connect(sysInfo, &QPushButton::clicked, this, &FrmAbout::cmdSysInfo_Click);
}

void FrmAbout::Form_Load() {
    StepGuard step(aboutLabel(u"Form_Load"_s), m_prompts);
    step([this] { ApplyControlTexts(this); });
    step([this] { findChild<QLabel*>(u"lblDisclaimer"_s)->setText(LegalNotice); });
}

void FrmAbout::cmdSysInfo_Click() {
    StepGuard step(aboutLabel(u"cmdSysInfo_Click"_s), m_prompts);
    step([this] { StartSysInfo(); });
}

void FrmAbout::StartSysInfo() {
    QString program;
    bool started = false;
    {
        BusyCursor busy;
        program = SystemInfoTool::find();
        started = SystemInfoTool::start(program);
    }
    if (program.isEmpty())
        notice(m_prompts,
               u"No system information program is installed on this computer, so none can be "
               u"started."_s);
    else if (!started)
        notice(m_prompts,
               u"The system information program "_s + program + u" could not be started."_s);
}

void FrmAbout::cmdOK_Click() {
    close();
}

} // namespace tovin
