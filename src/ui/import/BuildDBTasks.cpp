// The import screen's tasks that work on whole sets of products: deleting the current
// selection, the folder import and the picture-path change.
#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/ProductSelection.h"
#include "core/import/DeleteRecords.h"
#include "core/import/FolderImport.h"
#include "core/import/ImportMessages.h"
#include "core/import/PicturePathChange.h"
#include "core/products/SearchInForce.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "ui/import/BuildDB.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

QString deleteQuestion(qsizetype count) {
    return u"Delete "_s + QString::number(count) + (count == 1 ? u" product?"_s : u" products?"_s);
}

} // namespace

void BuildDB::Delete() {
    if (!m_db)
        throw RunTimeError(ErrorNumber::CannotOpenDatabase,
                           u"The catalogue could not be opened: "_s + m_catalogue.path);
    ContinueRequested = false;
    Command2->setText(u"Cancel"_s);
    DeleteRecords remove(m_search.SearchWhere);
    // Nothing goes before the user has seen how many products will.
    const qsizetype count = ProductSelection(*m_db, m_search.SearchWhere).size();
    Prompts* prompts = m_prompts.current;
    if (!prompts ||
        prompts->ask(deleteQuestion(count), MessageButtons::YesNo, MessageDefault::Second,
                     MessageIcon::Question, DeleteRecords::caption()) != MessageAnswer::Yes) {
        Command2->setText(u"Close"_s);
        ShowFrames();
        return;
    }
    setWindowTitle(DeleteRecords::caption());
    showWorkLayout();
    Animation1->show();
    QPointer<BuildDB> self(this);
    StepGuard step(label(u"Delete"_s), m_prompts);
    QString totals = ImportMessages::deleteTotal(0);
    step([&] { totals = remove.run(*m_db, progressCallback()).totals; });
    if (self) {
        tellStopped(step);
        endTask(totals);
    }
}

void BuildDB::Folders() {
    Prompts* prompts = m_prompts.current;
    if (!prompts || !m_db)
        return;
    Command2->setText(u"Cancel"_s);
    setWindowTitle(FolderImport::caption());
    ContinueRequested = false;
    FolderImport import;
    FileDialogRequest request;
    request.filter = FolderImport::fileFilter();
    if (!import.chooseFile(prompts->openFile(request)))
        return;
    import.setNote(askNote(import.noteTitle(), import.notePrompt(), import.noteDefault()));
    showWorkLayout();
    QPointer<BuildDB> self(this);
    StepGuard step(label(u"Folders"_s), m_prompts);
    QString totals;
    step([&] { totals = import.run(*m_db, progressCallback()).totals; });
    if (self) {
        tellStopped(step);
        endTask(totals);
    }
}

void BuildDB::ChP() {
    Prompts* prompts = m_prompts.current;
    if (!prompts || !m_db)
        return;
    Command2->setText(u"Cancel"_s);
    setWindowTitle(PicturePathChange::caption());
    ContinueRequested = false;
    PicturePathChange change;
    const bool internet =
        prompts->message(PicturePathChange::internetQuestion(), MessageButtons::YesNo,
                         MessageIcon::Question, QString()) == MessageAnswer::Yes;
    if (internet) {
        const QString address =
            prompts->input(PicturePathChange::addressPrompt(), PicturePathChange::addressTitle(),
                           PicturePathChange::addressDefault());
        if (address.isEmpty())
            return;
        for (;;) {
            const QString type = prompts->input(PicturePathChange::fileTypePrompt(),
                                                PicturePathChange::fileTypeTitle(),
                                                PicturePathChange::fileTypeDefault());
            const PicturePathChange::Choice choice = change.useInternetAddress(address, type);
            if (choice == PicturePathChange::Choice::Ended)
                return;
            if (choice == PicturePathChange::Choice::Ok)
                break;
            prompts->notice(PicturePathChange::invalidExtension());
        }
    } else {
        FileDialogRequest request;
        request.filter = PicturePathChange::fileFilter();
        if (change.useFolderOf(prompts->openFile(request)) != PicturePathChange::Choice::Ok)
            return;
    }
    change.setNote(askNote(change.noteTitle(), change.notePrompt(), change.noteDefault()));
    showWorkLayout();
    QPointer<BuildDB> self(this);
    StepGuard step(label(u"ChP"_s), m_prompts);
    QString totals;
    step([&] { totals = change.run(*m_db, progressCallback()).totals; });
    if (self) {
        tellStopped(step);
        endTask(totals);
    }
}

} // namespace tovin
