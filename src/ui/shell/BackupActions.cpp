#include "ui/shell/BackupActions.h"

#include "core/backup/BackupRestore.h"
#include "core/backup/CatalogueBackup.h"
#include "core/backup/CatalogueCheck.h"
#include "core/base/Prompts.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueOffers.h"
#include "core/files/OpenCatalogues.h"
#include "core/settings/SettingsStore.h"
#include "ui/shell/BackupListDialog.h"
#include "ui/shell/BusyCursor.h"
#include "ui/shell/ChildWindows.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace tovin::BackupActions {

namespace {

void notice(const PromptsInUse& prompts, const QString& text, MessageIcon icon) {
    prompts.notice(text, icon, SettingsStore::ApplicationTitle);
}

bool isCatalogue(const QString& path) {
    return QFileInfo(path).isFile() &&
           !CatalogueCheck::problem(path, CatalogueCheck::Depth::Layout);
}

} // namespace

void tellFailure(const PromptsInUse& prompts, const QString& catalogue, const QString& reason) {
    static QSet<QString> told;
    const QString key = QFileInfo(catalogue).absoluteFilePath();
    if (told.contains(key))
        return;
    told.insert(key);
    notice(prompts, reason + u"\n\nThe work goes on without a backup."_s, MessageIcon::Exclamation);
}

void dailyOnOpen(const PromptsInUse& prompts, const QString& catalogue) {
    // A catalogue on a server is kept by the server's own backups.
    if (CatalogueOffers::backupRefusal(catalogue) || !isCatalogue(catalogue))
        return;
    BusyCursor busy;
    if (const auto failure = CatalogueBackup::takeDaily(catalogue, true))
        tellFailure(prompts, catalogue, *failure);
}

void beforeUpgrade(const PromptsInUse& prompts, const QString& catalogue) {
    if (CatalogueOffers::backupRefusal(catalogue))
        return;
    if (const auto failure = CatalogueBackup::takeDaily(catalogue, false))
        tellFailure(prompts, catalogue, *failure);
}

QString backUpNow(const PromptsInUse& prompts, const QString& catalogue) {
    if (const std::optional<QString> refusal = CatalogueOffers::backupRefusal(catalogue)) {
        notice(prompts, *refusal, MessageIcon::Information);
        return QString();
    }
    BusyCursor busy;
    try {
        const QDate today = CatalogueBackup::today();
        const QString copy = CatalogueBackup::write(catalogue, today);
        CatalogueBackup::rotate(catalogue, today,
                                BackupRotation::countsFrom(SettingsStore::program()));
        notice(prompts, u"The catalogue was backed up to "_s + copy + u'.',
               MessageIcon::Information);
        return copy;
    } catch (const RunTimeError& error) {
        notice(prompts, error.description(), MessageIcon::Exclamation);
        return QString();
    }
}

bool restoreFromBackup(const PromptsInUse& prompts, QWidget* parent, const QString& catalogue) {
    if (const std::optional<QString> refusal = CatalogueOffers::backupRefusal(catalogue)) {
        notice(prompts, *refusal, MessageIcon::Information);
        return false;
    }
    const QList<BackupCopy> copies = CatalogueBackup::copies(catalogue);
    if (copies.isEmpty()) {
        notice(prompts,
               u"There is no backup of "_s + catalogue + u" in "_s +
                   CatalogueBackup::folderFor(catalogue) + u'.',
               MessageIcon::Information);
        return false;
    }
    BackupListDialog list(copies, parent);
    if (list.exec() != QDialog::Accepted || list.chosen().isEmpty())
        return false;
    const QString copy = list.chosen();
    const QString question =
        u"Replace the catalogue %1 with the copy %2? The open screens are closed and the "
        u"catalogue as it is now is backed up first."_s.arg(catalogue, QFileInfo(copy).fileName());
    if (!prompts.current ||
        prompts.current->ask(question, MessageButtons::YesNo, MessageDefault::Second,
                             MessageIcon::Question,
                             SettingsStore::ApplicationTitle) != MessageAnswer::Yes)
        return false;
    // Every screen holds a connection to the catalogue; none may while its file is replaced.
    if (!ChildWindows::unloadAll()) {
        notice(prompts, u"A screen could not be closed, so nothing was restored."_s,
               MessageIcon::Exclamation);
        return false;
    }
    // A closed screen is deleted, and lets go of its connection, only when the event loop gets
    // to it: that is now, before the file is looked at.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // A task still working on the catalogue in this window would be taken for another program.
    if (OpenCatalogues::holding(catalogue)) {
        notice(prompts,
               u"The catalogue is still open in this window (a task still works on it), so "
               u"nothing was restored. Try again when it has finished."_s,
               MessageIcon::Exclamation);
        return true;
    }
    BusyCursor busy;
    try {
        const QString before = BackupRestore::restore(copy, catalogue);
        notice(prompts,
               u"The catalogue was restored from "_s + copy + u'.' +
                   (before.isEmpty() ? QString()
                                     : u" The file as it was is kept as "_s + before + u'.'),
               MessageIcon::Information);
    } catch (const RunTimeError& error) {
        notice(prompts, error.description(), MessageIcon::Exclamation);
    }
    return true;
}

} // namespace tovin::BackupActions
