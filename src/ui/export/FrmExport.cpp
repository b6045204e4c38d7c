#include "ui/export/FrmExport.h"

#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/export/DelimitedExport.h"
#include "core/files/OutputQuestion.h"
#include "core/files/ProgramFolder.h"
#include "core/products/SearchInForce.h"
#include "core/settings/SettingsStore.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "core/storage/CatalogueLocation.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

QString exportLabel(const QString& procedure) {
    return formLabel(u"frmExport"_s, procedure);
}

// The screen is redrawn every this many rows while it exports, so a long export stays
// responsive without paying for an event round on every row.
constexpr qint64 ExportYieldEvery = 250;

const QString ExportTitle = u"Export DataBase"_s;

// Where the last export's choices are kept, so the next one starts from them.
const QString ChoiceSection = u"Export"_s;
const QString ColumnsKey = u"Columns"_s;
const QString HeadingKey = u"Heading"_s;

} // namespace

FrmExport::FrmExport(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                     SearchInForce& search, QWidget* parent)
    : QWidget(parent), m_catalogue(catalogue), m_prompts(prompts), m_search(search) {
    setObjectName(u"frmExport"_s);
    setWindowTitle(ExportTitle);

    auto* columns = new QGridLayout;
    for (int i = 1; i <= 30; ++i) {
        Check1[size_t(i)] = new QCheckBox(DelimitedExport::columnCaption(i), this);
        Check1[size_t(i)]->setObjectName(u"Check1(%1)"_s.arg(i));
        // Only the box and its caption take a click, so it is kept to their size.
        Check1[size_t(i)]->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
        columns->addWidget(Check1[size_t(i)], (i - 1) % 10, (i - 1) / 10);
    }

    auto* frame = new QGroupBox(u"Format To Export To"_s, this);
    frame->setObjectName(u"Frame1"_s);
    auto* options = new QVBoxLayout(frame);
    for (int i = 0; i < 5; ++i) {
        Option1[size_t(i)] = new QRadioButton(DelimitedExport::optionCaption(i), frame);
        Option1[size_t(i)]->setObjectName(u"Option1(%1)"_s.arg(i));
        // Only the box and its caption take a click, so it is kept to their size.
        Option1[size_t(i)]->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
        options->addWidget(Option1[size_t(i)]);
        // A click, also on the option already chosen ("Other" asks again).
        connect(Option1[size_t(i)], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
    }
    auto* encodingLabel = new QLabel(u"Characters:"_s, frame);
    cboEncoding = new QComboBox(frame);
    cboEncoding->setObjectName(u"cboEncoding"_s);
    cboEncoding->addItem(u"UTF-8"_s);
    cboEncoding->addItem(u"Windows-1252 (older programs)"_s);
    cboEncoding->setToolTip(u"How letters beyond plain English are written into the file"_s);
    encodingLabel->setBuddy(cboEncoding);
    options->addWidget(encodingLabel);
    options->addWidget(cboEncoding);
    // Off unless chosen, so the file keeps the plain format other programs read.
    chkHeading = new QCheckBox(u"Column names on the first line"_s, frame);
    chkHeading->setObjectName(u"chkHeading"_s);
    chkHeading->setToolTip(u"Starts the file with a line naming the ticked columns, as "
                           u"spreadsheets expect"_s);
    options->addWidget(chkHeading);
    options->addStretch();

    Label1 = new QLabel(DelimitedExport::instruction(), this);
    Label1->setObjectName(u"Label1"_s);
    Command3 = new QPushButton(u"Select All"_s, this);
    Command3->setObjectName(u"Command3"_s);
    Command2 = new QPushButton(u"Export"_s, this);
    Command2->setObjectName(u"Command2"_s);
    Command1 = new QPushButton(u"Close"_s, this);
    Command1->setObjectName(u"Command1"_s);
    for (QPushButton* button : {Command1, Command2, Command3})
        button->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addLayout(columns, 1);
    top->addWidget(frame);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command3);
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(top);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    Form_Load();
}

FrmExport::~FrmExport() = default;

void FrmExport::Form_Load() {
    StepGuard step(exportLabel(u"Form_Load"_s), m_prompts);
    step([this] {
        if (CatalogueLocation::isMissingFile(m_catalogue.path))
            m_prompts.notice(u"Can't find the database file"_s + m_catalogue.path);
    });
    step([this] { m_db = std::make_unique<CatalogueDatabase>(m_catalogue.path); });
    step([this] { restoreChoice(); });
}

QList<int> FrmExport::chosenColumns() const {
    QList<int> columns;
    for (int i = 1; i <= 30; ++i)
        if (Check1[size_t(i)]->isChecked())
            columns << i;
    return columns;
}

void FrmExport::restoreChoice() {
    const SettingsStore& settings = SettingsStore::program();
    for (int column :
         DelimitedExport::columnsFromText(settings.value(ChoiceSection, ColumnsKey, QString())))
        Check1[size_t(column)]->setChecked(true);
    // A stored word that is no yes/no leaves the option off.
    try {
        chkHeading->setChecked(settings.flag(ChoiceSection, HeadingKey, false));
    } catch (const RunTimeError&) {
        chkHeading->setChecked(false);
    }
}

void FrmExport::saveChoice() {
    SettingsStore& settings = SettingsStore::program();
    settings.setValue(ChoiceSection, ColumnsKey, DelimitedExport::columnsText(chosenColumns()));
    settings.setFlag(ChoiceSection, HeadingKey, chkHeading->isChecked());
    settings.sync();
}

void FrmExport::Option1_Click(int index) {
    StepGuard step(exportLabel(u"Option1_Click"_s), ErrorStyle::IgnoreAndResume);
    if (index != DelimitedExport::OtherOption) {
        m_divider = DelimitedExport::optionDivider(index);
        return;
    }
    step([this] {
        if (m_prompts.current)
            m_divider = m_prompts.current->input(DelimitedExport::otherPrompt(),
                                                 DelimitedExport::otherTitle(), u","_s);
    });
}

void FrmExport::Command3_Click() {
    for (int i = 1; i <= 30; ++i)
        Check1[size_t(i)]->setChecked(true);
}

void FrmExport::Command1_Click() {
    if (m_exporting) {
        // Closing waits for the row being written; the export then stops and the screen goes.
        m_closeAfterExport = true;
        return;
    }
    close();
}

void FrmExport::closeEvent(QCloseEvent* event) {
    if (m_exporting) {
        m_closeAfterExport = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

// The file name without an extension; empty when the user gave none.
QString FrmExport::askName() {
    Prompts* prompts = m_prompts.current;
    if (!prompts)
        return QString();
    for (;;) {
        const QString name =
            prompts->input(DelimitedExport::namePrompt(), DelimitedExport::nameTitle(),
                           DelimitedExport::nameDefault());
        if (!DelimitedExport::nameHasExtension(name))
            return name;
        prompts->notice(DelimitedExport::extensionRefused());
    }
}

void FrmExport::Command2_Click() {
    if (m_exporting)
        return;
    StepGuard step(exportLabel(u"Command2_Click"_s), m_prompts);
    const QString name = askName();
    if (name.isEmpty()) {
        close();
        return;
    }
    if (!m_db) {
        step([this] {
            throw RunTimeError(ErrorNumber::CannotOpenDatabase,
                               u"The catalogue could not be opened: "_s + m_catalogue.path);
        });
        return;
    }
    const QString path = DelimitedExport::filePath(ProgramFolder::path(), name);
    if (m_prompts.current &&
        !confirmOutput(*m_prompts.current, path, OutputRules{m_catalogue.path}, ExportTitle))
        return;
    step([this] { saveChoice(); });
    QPointer<FrmExport> self(this);
    m_exporting = true;
    Command2->setEnabled(false);
    runExport(path);
    if (!self)
        return;
    m_exporting = false;
    Command2->setEnabled(true);
    if (m_closeAfterExport)
        close();
}

void FrmExport::runExport(const QString& path) {
    DelimitedExport exporter;
    exporter.setColumns(chosenColumns());
    exporter.setHeading(chkHeading->isChecked());
    exporter.setDivider(m_divider);
    exporter.setSearchWhere(m_search.SearchWhere);
    QPointer<FrmExport> self(this);
    for (;;) {
        exporter.setEncoding(cboEncoding->currentIndex() == 1
                                 ? DelimitedExport::Encoding::Windows1252
                                 : DelimitedExport::Encoding::Utf8);
        try {
            const ImportOutcome outcome =
                exporter.run(*m_db, path, [this, self](const ImportProgress& progress) {
                    if (progress.value % ExportYieldEvery == 0 ||
                        progress.value == progress.maximum) {
                        Label1->setText(progress.status);
                        letEventsRun();
                    }
                    return self && !m_closeAfterExport;
                });
            Label1->setText(outcome.totals + u"\nSaved as "_s + QFileInfo(path).absoluteFilePath());
            return;
        } catch (const DelimitedExport::Unencodable& error) {
            // Nothing was written; the same export in UTF-8 keeps every character.
            if (!self)
                return;
            Label1->setText(DelimitedExport::instruction());
            if (!m_prompts.current ||
                m_prompts.current->ask(error.description() + u"\n\nExport in UTF-8 instead?"_s,
                                       MessageButtons::YesNo, MessageDefault::First,
                                       MessageIcon::Exclamation, ExportTitle) != MessageAnswer::Yes)
                return;
            cboEncoding->setCurrentIndex(0);
        } catch (const RunTimeError& error) {
            // An export that could not be written is told, never passed over.
            if (!self)
                return;
            Label1->setText(DelimitedExport::instruction());
            m_prompts.notice(u"The export was not written:\n"_s + error.description(),
                             MessageIcon::Critical, ExportTitle);
            return;
        }
    }
}

} // namespace tovin
