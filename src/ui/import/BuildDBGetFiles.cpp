// The import screen's dialogue for reading item data: any text file, the supplier's own files
// and a table of an Access database. Each step waits for the user; every rule is the engine's.
#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/files/ProgramFolder.h"
#include "core/import/AccessTableImport.h"
#include "core/import/FixedMappings.h"
#include "core/import/ImportMessages.h"
#include "core/import/ImportReport.h"
#include "core/import/RememberedMapping.h"
#include "core/import/SupplierFileImport.h"
#include "core/import/TextImportSession.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "core/shell/TaskScreenHandoff.h"
#include "ui/data/FrmSupplier.h"
#include "ui/import/BuildDB.h"
#include "ui/shell/ChildWindows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// The screen's prompts, or with none set, prompts that answer every question with Cancel.
Prompts& promptsOrSilent(const PromptsInUse& prompts) {
    static class Silent : public Prompts {
    public:
        MessageAnswer message(const QString&, MessageButtons, MessageIcon,
                              const QString&) override {
            return MessageAnswer::Cancel;
        }
        QString input(const QString&, const QString&, const QString&) override { return {}; }
        QString openFile(const FileDialogRequest&) override { return {}; }
        QString saveFile(const FileDialogRequest&) override { return {}; }
        std::optional<FontChoice> chooseFont(const FontChoice&) override { return {}; }
        std::optional<RgbColor> chooseColor(const RgbColor&) override { return {}; }
    } silent;
    return prompts.current ? *prompts.current : silent;
}

// What a run left alone, after its totals: the prices without a number (named in the message
// box, see runNotes) and the stock numbers on several lines.
QString withPassedOver(const ImportOutcome& outcome) {
    QString line = outcome.totals;
    if (outcome.passedOver > 0)
        line += u"   "_s + ImportMessages::pricesLeft(outcome.passedOver);
    if (outcome.repeatedCount > 0)
        line += u"   On Several Lines: "_s + QString::number(outcome.repeatedCount);
    return line;
}

// The lines the message box shows after a run: each price left as it was, with its line, and
// each stock number found on several lines.
QStringList runNotes(const ImportOutcome& outcome) {
    return ImportMessages::pricesLeftBlock(outcome.passedOver, outcome.passedOverNamed,
                                           ImportReport::Kept) +
           outcome.repeated;
}

} // namespace

void BuildDB::GetFiles() {
    StepGuard step(label(u"GetFiles"_s), m_prompts);
    Text1->clear();
    m_tasks.supplierScreenClosed = false;
    Command2->setText(u"Cancel"_s);
    if (!m_db)
        throw RunTimeError(ErrorNumber::CannotOpenDatabase,
                           u"The catalogue could not be opened: "_s + m_catalogue.path);
    switch (ImportStep) {
    case 0:
        step([this] { importTextFile(); });
        break;
    case 1:
    case 2:
    case 3:
        step([this] { importSupplierFiles(); });
        break;
    case 7:
        step([this] { importDatabase(); });
        break;
    default:
        break;
    }
    tellStopped(step);
    ImportStep = 0;
}

// ---- Any text file -------------------------------------------------------------------------

void BuildDB::importTextFile() {
    const bool editOnly = askEditOnly();
    FileDialogRequest request;
    request.fileName = ImportMessages::textFileDialogName();
    request.filter = ImportMessages::textFileFilter();
    const QString path = promptsOrSilent(m_prompts).openFile(request);
    if (path.isEmpty() || path == ImportMessages::textFileDialogName()) {
        TaskPage = 1;
        ShowFrames();
        return;
    }
    QPointer<BuildDB> self(this);
    TextImportSession session;
    session.open(path);
    showListLayout();
    // Next month's list of a supplier comes under a new name but with the same heading line:
    // the mapping kept from last time is offered for it, naming the file it was made for.
    bool fromLast = false;
    if (const std::optional<RememberedMapping> last =
            RememberedMapping::findFor(session.bareFileName(), session.lines());
        last &&
        promptsOrSilent(m_prompts).message(last->questionFor(), MessageButtons::YesNo,
                                           MessageIcon::Question, QString()) == MessageAnswer::Yes)
        fromLast = session.takeRemembered(*last);
    if (!self)
        return;
    if (!fromLast && (!chooseStartLine(session) || !chooseDivider(session)))
        return;
    setWindowHeight(2970);
    session.setNote(askNote(session.noteTitle(), session.notePrompt(), session.noteDefault()));
    if (!fromLast) {
        session.readFirstItem();
        Label1->setText(session.firstField());
        session.mapping().addSlots(promptsOrSilent(m_prompts).input(
            session.mapping().addMorePrompt(), ImportMessages::addMoreTitle(), QString()));
        if (!mapFields(session.mapping(), QString()))
            return;
    }
    session.setEditOnly(editOnly);
    // The mapping step offers the box; a mapping taken from last time still needs it.
    chkDecimalComma->show();
    askDecimalComma(session);
    if (refuseStockNumberOutOfReach(session.stockNumberOutOfReach()))
        return;
    // Kept only once a run (or its trial) has read the file with it: a mapping given up at the
    // last question may well be a wrong one.
    const RememberedMapping remembered = session.remembered();
    auto run = [&](ImportReport* report) {
        session.options().decimalComma = chkDecimalComma->isChecked();
        session.options().keepMargins = keepMarginsTicked();
        session.options().dryRun = report != nullptr;
        session.options().report = report;
        const ImportOutcome outcome = session.run(*m_db, progressCallback());
        session.options().dryRun = false;
        session.options().report = nullptr;
        remembered.save();
        return outcome;
    };
    if (!confirmImport(run))
        return;
    setWindowTitle(session.caption());
    showWorkLayout();
    const ImportOutcome outcome = run(nullptr);
    if (self) {
        showRunNotes(runNotes(outcome));
        showMargins(outcome.margins.lines());
        endTask(withPassedOver(outcome));
    }
}

void BuildDB::askDecimalComma(TextImportSession& session) {
    if (chkDecimalComma->isChecked())
        return;
    session.options().decimalComma = false;
    const std::optional<QString> sign = session.decimalCommaSign();
    if (sign && promptsOrSilent(m_prompts).message(ImportMessages::decimalCommaQuestion(*sign),
                                                   MessageButtons::YesNo, MessageIcon::Question,
                                                   QString()) == MessageAnswer::Yes)
        chkDecimalComma->setChecked(true);
}

void BuildDB::showRunNotes(const QStringList& notes) {
    if (notes.isEmpty())
        return;
    txtMsg->setPlainText(notes.join(ImportMessages::lineBreak()));
    Frame3->show();
}

bool BuildDB::refuseStockNumberOutOfReach(const std::optional<QString>& refusal) {
    if (!refusal)
        return false;
    promptsOrSilent(m_prompts).notice(*refusal, MessageIcon::Critical);
    Label1->setText(*refusal);
    Label1->show();
    return true;
}

void BuildDB::showPreview(TextImportSession& session) {
    Text1->clear();
    Text1->addItems(session.preview());
    txtMsg->setPlainText(session.previewMessage());
}

bool BuildDB::chooseStartLine(TextImportSession& session) {
    showPreview(session);
    cboEncoding->setCurrentIndex(0);
    cboEncoding->show();
    Command3->hide();
    for (;;) {
        ChosenLine = -1;
        m_encodingChanged = false;
        if (!waitForContinue() || CloseRequested) {
            cboEncoding->hide();
            return false;
        }
        if (m_encodingChanged) {
            // Read again in the chosen encoding and shown at once.
            session.open(session.path(), cboEncoding->currentData().toString());
            showPreview(session);
            continue;
        }
        if (ChosenLine >= 0 && session.chooseStartLine(ChosenLine))
            break;
    }
    cboEncoding->hide();
    Command3->show();
    return true;
}

bool BuildDB::chooseDivider(TextImportSession& session) {
    using Outcome = TextImportSession::DividerOutcome;
    if (session.proposal()) {
        if (askInMessage(session.proposalMessage()))
            return session.acceptProposal();
        if (m_unloadWhenDone)
            return false;
    }
    for (;;) {
        Frame2->show();
        Option2[3]->setChecked(true);
        txtChoice->hide();
        Separator.clear();
        if (!waitForContinue() || CloseRequested)
            return false;
        Outcome outcome = Outcome::InvalidChoice;
        if (Separator.isEmpty())
            continue;
        if (Separator == u"o"_s || Separator == u"nl"_s) {
            const bool lines = Separator == u"nl"_s;
            txtMsg->setPlainText(lines ? TextImportSession::linesPerItemPrompt()
                                       : TextImportSession::otherDividerPrompt());
            txtChoice->clear();
            txtChoice->show();
            txtChoice->setFocus();
            for (;;) {
                if (!waitForContinue() || CloseRequested)
                    return false;
                outcome = lines ? session.chooseLinesPerItem(txtChoice->text())
                                : session.chooseTypedDivider(txtChoice->text());
                if (outcome != Outcome::InvalidChoice)
                    break;
                if (lines)
                    txtChoice->clear();
                else
                    promptsOrSilent(m_prompts).notice(TextImportSession::invalidChoice(),
                                                      MessageIcon::Critical);
            }
        } else if (Separator == u"\t"_s) {
            outcome = session.chooseDivider(Divider::tab());
        } else if (Separator == u","_s) {
            outcome = session.chooseDivider(Divider::comma());
        } else {
            outcome = session.chooseDivider(Divider::twoSpaces());
        }
        if (outcome == Outcome::Accepted)
            break;
        if (promptsOrSilent(m_prompts).message(
                session.wrongSeparator(), MessageButtons::RetryCancel, MessageIcon::Critical,
                session.wrongSeparatorTitle()) != MessageAnswer::Retry)
            return false;
    }
    Frame2->hide();
    txtChoice->hide();
    return true;
}

// ---- Mapping and the trial run -------------------------------------------------------------

bool BuildDB::mapFields(FieldMapping& mapping, const QString& rememberKey) {
    Text1->clear();
    Text1->addItems(FieldMapping::captions());
    showListLayout();
    Frame3->hide();
    Command3->show();
    chkDecimalComma->show();
    if (const std::optional<RememberedMapping> last =
            rememberKey.isEmpty() ? std::nullopt : RememberedMapping::find(rememberKey);
        last && last->fieldCount == mapping.fieldCount() && last->map.stockFieldIndex() >= 0 &&
        promptsOrSilent(m_prompts).message(RememberedMapping::question(), MessageButtons::YesNo,
                                           MessageIcon::Question,
                                           QString()) == MessageAnswer::Yes) {
        mapping.setMap(last->map);
        mapping.finish();
        return true;
    }
    // A click on the wrong caption is easily made among thirty; Back undoes the last one.
    m_mappingFields = true;
    Command4->show();
    QPointer<BuildDB> self(this);
    auto stopMapping = [&] {
        if (!self)
            return;
        m_mappingFields = false;
        Command4->setEnabled(true);
        Command4->hide();
    };
    for (;;) {
        int position = 0;
        while (position < mapping.fieldCount()) {
            Label1->setText(mapping.statusLine(position));
            Command4->setEnabled(position > 0);
            Text1->clearSelection();
            Text1->setCurrentRow(-1);
            ChosenLine = -1;
            m_backRequested = false;
            if (!waitForContinue() || CloseRequested) {
                stopMapping();
                return false;
            }
            if (m_backRequested) {
                position = mapping.back(position);
                continue;
            }
            if (ChosenLine < 0)
                continue;
            const FieldMapping::Outcome outcome = mapping.map(position, ChosenLine);
            if (outcome == FieldMapping::Outcome::MappedAskDiscontinued)
                mapping.setSkipDiscontinued(
                    promptsOrSilent(m_prompts).message(FieldMapping::mappingDiscontinuedQuestion(),
                                                       MessageButtons::YesNo, MessageIcon::Question,
                                                       QString()) == MessageAnswer::No);
            if (outcome == FieldMapping::Outcome::Mapped ||
                outcome == FieldMapping::Outcome::MappedAskDiscontinued)
                ++position;
        }
        if (mapping.hasStockNumber())
            break;
        promptsOrSilent(m_prompts).notice(FieldMapping::stockNumberRequired(),
                                          MessageIcon::Critical);
        mapping.restart();
    }
    stopMapping();
    mapping.finish();
    return true;
}

bool BuildDB::confirmImport(const std::function<ImportOutcome(ImportReport*)>& trial) {
    txtMsg->setPlainText(u"Press OK To Start The Import, Or 'Test Import' To See What It Would "
                         u"Do Without Changing Anything"_s);
    Frame3->show();
    cmdTestImport->show();
    // The last chance to change it: the trial and the import read it as they start.
    chkKeepMargins->show();
    Command3->show();
    Label2->hide();
    Text1->clear();
    QPointer<BuildDB> self(this);
    for (;;) {
        m_testRequested = false;
        if (!waitForContinue() || CloseRequested)
            return false;
        if (!m_testRequested)
            break;
        // The click that asked for the trial must not read as a stop request to the run's
        // progress: the trial goes through every item, exactly as the import will.
        ContinueRequested = false;
        ImportReport report;
        const ImportOutcome outcome = trial(&report);
        if (!self)
            return false;
        QStringList lines{u"TEST ONLY - Nothing Was Changed"_s, outcome.totals};
        lines << ImportMessages::pricesLeft(report.passedOverCount);
        lines << u"Changes: "_s + QString::number(report.changeCount) +
                     (report.changeCount > ImportReport::Kept ? u" (the first 200)"_s : QString());
        lines << report.changes;
        lines << u"New Products: "_s + QString::number(report.addedCount);
        for (const QString& stock : report.added)
            lines << u"   Would Add: "_s + stock;
        for (const QString& value : report.passedOver)
            lines << u"   Left As It Was: "_s + value;
        lines << outcome.margins.lines();
        Text1->clear();
        Text1->addItems(lines);
        Text1->show();
        Label1->setText(outcome.totals);
    }
    cmdTestImport->hide();
    chkKeepMargins->hide();
    return true;
}

// ---- The supplier's own files --------------------------------------------------------------

bool BuildDB::chooseSupplier(QString& supplier) {
    QPointer<BuildDB> self(this);
    QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
    frame->hide();
    promptsOrSilent(m_prompts).notice(SupplierFileImport::selectSupplierMessage(),
                                      MessageIcon::Exclamation);
    QPointer<QWidget> screen = ChildWindows::show(FrmSupplier::ScreenName);
    m_tasks.supplierScreenClosed = false;
    const bool answered = waitUntil([&] {
        if (screen)
            if (auto* name =
                    screen->findChild<QLineEdit*>(u"txtFields(%1)"_s.arg(FrmSupplier::NameBox)))
                supplier = name->text();
        return !screen || !self || m_tasks.supplierScreenClosed || m_unloadWhenDone;
    });
    // A screen closed meanwhile took its reference to the hand-off with it.
    if (self)
        m_tasks.supplierScreenClosed = false;
    // The program is closing: nothing is imported with a supplier the user only browsed to.
    if (!answered || !self)
        return false;
    frame->show();
    return !m_unloadWhenDone && !CloseRequested;
}

void BuildDB::importSupplierFiles() {
    const bool editOnly = askEditOnly();
    QList<FixedMappings::SupplierFile> files;
    if (ImportStep == 1)
        files << FixedMappings::fullDescriptionFile();
    else if (ImportStep == 2)
        files << FixedMappings::stockFile();
    else {
        QList<int> checked;
        for (int i = 0; i < 5; ++i)
            if (chkLists[size_t(i)]->isChecked())
                checked << i;
        for (int index : SupplierFileImport::priceListsInOrder(checked))
            files << FixedMappings::priceList(index);
    }
    QPointer<BuildDB> self(this);
    QList<ImportOutcome> outcomes;
    QStringList listLines;
    QStringList marginLines;
    for (const FixedMappings::SupplierFile& file : files) {
        SupplierFileImport import(file, ProgramFolder::path());
        if (!import.exists()) {
            promptsOrSilent(m_prompts).notice(import.missingMessage(), MessageIcon::Critical);
            ImportStep = 0;
            TaskPage = 1;
            ShowFrames();
            return;
        }
        if (import.asksDiscontinued())
            import.setSkipDiscontinued(
                promptsOrSilent(m_prompts).message(SupplierFileImport::discontinuedQuestion(),
                                                   MessageButtons::YesNo, MessageIcon::Question,
                                                   QString()) == MessageAnswer::No);
        setWindowTitle(import.caption());
        QString supplier;
        if (!chooseSupplier(supplier))
            return;
        import.setSupplier(supplier);
        import.setNote(askNote(ImportMessages::noteTitle(), ImportMessages::notePrompt(),
                               import.noteDefault()));
        import.setEditOnly(editOnly);
        import.options().keepMargins = keepMarginsTicked();
        showWorkLayout();
        outcomes << import.run(*m_db, progressCallback());
        if (!self)
            return;
        listLines << SupplierFileImport::listLine(import.bareFileName(), outcomes.constLast());
        // Each list's margins on their own: a product that two lists change has two stories.
        if (files.size() > 1)
            marginLines << import.bareFileName() + u":"_s;
        marginLines << outcomes.constLast().margins.lines();
        if (outcomes.constLast().cancelled)
            break;
    }
    const ImportOutcome run = SupplierFileImport::runOutcome(outcomes);
    // The status line holds the whole run; what each list did stays readable above it.
    showRunNotes((files.size() > 1 ? listLines : QStringList()) + runNotes(run));
    showMargins(marginLines);
    endTask(withPassedOver(run));
}

// ---- A table of an Access database ---------------------------------------------------------

void BuildDB::importDatabase() {
    const bool editOnly = askEditOnly();
    FileDialogRequest request;
    request.fileName = ImportMessages::databaseDialogName();
    request.filter = ImportMessages::databaseFilter();
    const QString path = promptsOrSilent(m_prompts).openFile(request);
    if (path.isEmpty() || path == ImportMessages::databaseDialogName()) {
        TaskPage = 1;
        ShowFrames();
        return;
    }
    Command4->hide();
    AccessTableImport import(path);
    if (import.isTovinDatabase()) {
        if (import.useFixedMapping() != AccessTableImport::TableChoice::Chosen)
            throw RunTimeError(ErrorNumber::ItemNotFound,
                               u"The database has no table with the product columns"_s);
    } else {
        txtMsg->setPlainText(AccessTableImport::chooseTableMessage());
        showListLayout();
        Text1->clear();
        Text1->addItems(import.tableChoices());
        for (;;) {
            ChosenLine = -1;
            if (!waitForContinue() || CloseRequested)
                return;
            if (ChosenLine >= 0 &&
                import.chooseTable(ChosenLine) == AccessTableImport::TableChoice::Chosen)
                break;
            Text1->clearSelection();
        }
        txtMsg->setPlainText(AccessTableImport::chooseFieldsMessage());
        if (!mapFields(import.mapping(), import.bareFileName() + u':' + import.table()))
            return;
    }
    if (refuseStockNumberOutOfReach(import.stockNumberOutOfReach()))
        return;
    RememberedMapping remembered(import.bareFileName() + u':' + import.table());
    remembered.fieldCount = import.mapping().fieldCount();
    remembered.map = import.mapping().map();
    setWindowTitle(import.caption());
    if (import.isEmpty()) {
        promptsOrSilent(m_prompts).notice(AccessTableImport::emptyDatabase(),
                                          MessageIcon::Critical);
        return;
    }
    import.setNote(
        askNote(ImportMessages::noteTitle(), ImportMessages::notePrompt(), import.noteDefault()));
    import.setEditOnly(editOnly);
    auto run = [&](ImportReport* report) {
        import.options().decimalComma = chkDecimalComma->isChecked();
        import.options().keepMargins = keepMarginsTicked();
        import.options().dryRun = report != nullptr;
        import.options().report = report;
        const ImportOutcome outcome = import.run(*m_db, progressCallback());
        import.options().dryRun = false;
        import.options().report = nullptr;
        // The fixed mapping of the program's own catalogue needs no keeping.
        if (!import.isTovinDatabase())
            remembered.save();
        return outcome;
    };
    QPointer<BuildDB> self(this);
    if (!import.isTovinDatabase() && !confirmImport(run))
        return;
    showWorkLayout();
    const ImportOutcome outcome = run(nullptr);
    if (self) {
        showRunNotes(runNotes(outcome));
        showMargins(outcome.margins.lines());
        endTask(withPassedOver(outcome));
    }
}

} // namespace tovin
