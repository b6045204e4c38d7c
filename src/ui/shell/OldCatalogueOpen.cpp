#include "ui/shell/OldCatalogueOpen.h"

#include "core/backup/CatalogueBackup.h"
#include "core/base/Prompts.h"
#include "core/base/RunTimeError.h"
#include "core/convert/AccessTableSource.h"
#include "core/convert/CatalogueConversion.h"
#include "core/files/FileIdentity.h"
#include "core/files/OutputFile.h"
#include "core/settings/SettingsStore.h"
#include "ui/shell/BackupActions.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

std::optional<QString> convertOldCatalogue(Prompts& prompts, QWidget* parent,
                                           const QString& oldPath, const QString& openCatalogue) {
    const QString title = SettingsStore::ApplicationTitle;
    const QString stays = u"\n\nThe catalogue "_s + openCatalogue + u" stays open."_s;
    try {
        const AccessTableSource source(oldPath);
        const ConversionPlan plan = CatalogueConversion::plan(source);
        if (!plan.usable()) {
            prompts.notice(plan.refusal() + stays, MessageIcon::Exclamation, title);
            return std::nullopt;
        }
        const QString target = CatalogueConversion::convertedPath(oldPath);
        if (FileIdentity::sameFile(target, openCatalogue)) {
            prompts.notice(u"The converted catalogue would replace %1, which is open. Open "
                           u"another catalogue first."_s.arg(target) +
                               stays,
                           MessageIcon::Exclamation, title);
            return std::nullopt;
        }
        // A folder, a device or a journal of the open catalogue under that name.
        if (const auto refused =
                OutputFile::refusal(target, OutputRules{openCatalogue, true, true})) {
            prompts.notice(*refused + stays, MessageIcon::Exclamation, title);
            return std::nullopt;
        }
        QString question = u"%1 is a catalogue of the older program. Convert it into a new "
                           u"catalogue, %2? The old file is only read."_s.arg(
                               QFileInfo(oldPath).fileName(), target);
        if (QFileInfo::exists(target))
            question += u"\n\n%1 already exists and will be replaced."_s.arg(target);
        if (prompts.ask(question, MessageButtons::YesNo,
                        QFileInfo::exists(target) ? MessageDefault::Second : MessageDefault::First,
                        MessageIcon::Question, title) != MessageAnswer::Yes)
            return std::nullopt;
        // The catalogue the conversion replaces is kept first; a failed copy does not stop it.
        if (const auto failure = CatalogueBackup::keepBeforeReplacing(target))
            BackupActions::tellFailure(PromptsInUse{&prompts}, target, *failure);

        QProgressDialog progress(u"Converting %1..."_s.arg(QFileInfo(oldPath).fileName()),
                                 u"Cancel"_s, 0, 100, parent);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(300);
        const ConversionResult result = CatalogueConversion::convertReplacing(
            source, target, openCatalogue, [&](qint64 done, qint64 all) {
                progress.setValue(all > 0 ? int(done * 100 / all) : 0);
                QCoreApplication::processEvents();
                return !progress.wasCanceled();
            });
        progress.reset();
        if (result.cancelled) {
            prompts.notice(u"The conversion was cancelled; no catalogue was written."_s + stays,
                           MessageIcon::Information, title);
            return std::nullopt;
        }
        return target;
    } catch (const RunTimeError& error) {
        prompts.notice(u"%1 could not be converted: %2"_s.arg(QFileInfo(oldPath).fileName(),
                                                              error.description()) +
                           stays,
                       MessageIcon::Exclamation, title);
        return std::nullopt;
    }
}

} // namespace tovin
