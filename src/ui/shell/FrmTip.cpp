#include "ui/shell/FrmTip.h"

#include "core/files/ProgramFolder.h"
#include "core/import/TextFile.h"
#include "core/settings/SettingsStore.h"
#include "core/shell/ErrorReporting.h"
#include "core/text/NumberText.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString Options = u"Options"_s;
const QString ShowAtStartup = u"Show Tips at Startup"_s;

QString tipLabel(const QString& procedure) {
    return formLabel(u"frmTip"_s, procedure);
}

} // namespace

FrmTip::FrmTip(const PromptsInUse& prompts, Opened opened, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_tipText(new QLabel(this)),
      m_ok(new QPushButton(u"OK"_s, this)), m_next(new QPushButton(u"&Next Tip"_s, this)),
      m_showAtStartup(new QCheckBox(u"&Show Tips at Startup"_s, this)), m_opened(opened) {
    setObjectName(u"frmTip"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(u"Tip of the Day"_s);

    auto* picture = new QLabel(this);
    picture->setObjectName(u"Image1"_s);
    picture->setPixmap(QPixmap(u":/icons/tip.png"_s));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* heading = new QLabel(u"Did you know..."_s, this);
    heading->setObjectName(u"Label1"_s);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.3);
    heading->setFont(headingFont);

    m_tipText->setObjectName(u"lblTipText"_s);
    m_tipText->setTextFormat(Qt::PlainText);
    m_tipText->setWordWrap(true);
    m_tipText->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_tipText->setMinimumSize(320, 110);

    auto* tipPanel = new QWidget(this);
    tipPanel->setObjectName(u"fraTip"_s);
    tipPanel->setAutoFillBackground(true);
    tipPanel->setBackgroundRole(QPalette::Base);
    auto* panelLayout = new QVBoxLayout(tipPanel);
    panelLayout->addWidget(heading);
    panelLayout->addWidget(m_tipText, 1);

    m_ok->setObjectName(u"cmdOK"_s);
    m_ok->setDefault(true);
    m_next->setObjectName(u"cmdNextTip"_s);
    m_showAtStartup->setObjectName(u"chkLoadTipsAtStartup"_s);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(m_next);
    buttons->addStretch();

    auto* grid = new QGridLayout(this);
    grid->addWidget(picture, 0, 0);
    grid->addWidget(tipPanel, 0, 1);
    grid->addLayout(buttons, 0, 2);
    grid->addWidget(m_showAtStartup, 1, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    connect(m_ok, &QPushButton::clicked, this, &FrmTip::cmdOK_Click);
    connect(m_next, &QPushButton::clicked, this, &FrmTip::cmdNextTip_Click);
    connect(m_showAtStartup, &QCheckBox::toggled, this, &FrmTip::chkLoadTipsAtStartup_Click);
}

void FrmTip::Form_Load() {
    StepGuard step(tipLabel(u"Form_Load"_s), m_prompts);
    double showAtStartup = 0;
    step([&] {
        showAtStartup =
            TextRules::CDbl(SettingsStore::program().value(Options, ShowAtStartup, u"1"_s));
    });
    if (showAtStartup == 0 && m_opened == Opened::AtStartup) {
        m_unloaded = true;
        close();
        return;
    }
    step([this] { m_showAtStartup->setChecked(true); });
    bool loaded = false;
    step([&] { loaded = LoadTips(ProgramFolder::path() + TipFileName); });
    if (!loaded) {
        m_tipText->setText(u"There Was No "_s + TipFileName + u" Found ? "_s + u"\n\n"_s +
                           u"You Can Create A Text File Named "_s + TipFileName +
                           u" Using NotePad With 1 Tip Per Line. "_s +
                           u"Then Place It In The Same Directory As The Tovin's Catalog 2000 "
                           u"Application. "_s);
    }
}

bool FrmTip::LoadTips(const QString& fileName) {
    if (fileName.isEmpty())
        return false;
    // The file's name may differ in letter case from TIPOFDAY.TXT on a case-sensitive disk.
    const QString path = ProgramFolder::resolveFile(fileName);
    if (!QFileInfo(path).isFile())
        return false;
    const TextFile file = TextFile::load(path);
    m_tips.clear();
    for (qsizetype i = 0; i < file.lineCount(); ++i)
        m_tips << file.line(i).toString();
    DoNextTip();
    return true;
}

void FrmTip::DoNextTip() {
    ++m_currentTip;
    if (m_currentTip > m_tips.size())
        m_currentTip = 1;
    DisplayCurrentTip();
}

void FrmTip::DisplayCurrentTip() {
    if (!m_tips.isEmpty())
        m_tipText->setText(m_tips.at(m_currentTip - 1));
}

void FrmTip::cmdNextTip_Click() {
    StepGuard step(tipLabel(u"cmdNextTip_Click"_s), m_prompts);
    step([this] { DoNextTip(); });
}

void FrmTip::cmdOK_Click() {
    close();
}

void FrmTip::chkLoadTipsAtStartup_Click() {
    StepGuard step(tipLabel(u"chkLoadTipsAtStartup_Click"_s), m_prompts);
    step([this] {
        SettingsStore& settings = SettingsStore::program();
        settings.setValue(Options, ShowAtStartup, m_showAtStartup->isChecked() ? u"1"_s : u"0"_s);
        settings.sync();
    });
}

void FrmTip::closeEvent(QCloseEvent* event) {
    m_unloaded = true;
    QDialog::closeEvent(event);
}

} // namespace tovin
