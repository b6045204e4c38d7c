#include "ui/journal/UndoRunPrompt.h"

#include "core/base/Prompts.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/journal/HistoryWording.h"
#include "core/journal/JournalConnection.h"
#include "core/journal/RunHistory.h"
#include "core/journal/RunRowCounts.h"
#include "core/journal/RunUndo.h"

#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace tovin::UndoRunPrompt {

namespace {

// A message box shows a screenful; the rest are counted.
constexpr int KeptShown = 20;

} // namespace

bool undo(const PromptsInUse& prompts, CatalogueDatabase& db, qint64 run, bool trial,
          const QString& title) {
    try {
        // Read afresh: another screen or program may have taken the run back meanwhile, and
        // the question must name what the undo will really find.
        const std::optional<RunHistory::RunInfo> info = RunHistory::run(db, run);
        std::optional<RunHistory::RunInfo> undone;
        if (info && info->undoOf != 0)
            undone = RunHistory::run(db, info->undoOf);
        const bool redo = info && HistoryWording::isRedo(*info, undone);
        const RunRowCounts counts = info ? RunRowCounts::read(db, run) : RunRowCounts();
        // A run that is gone or already undone is refused by the undo itself, with its reason:
        // no question comes before a refusal.
        if (!trial && info && info->undoneBy == 0) {
            if (!prompts.current ||
                prompts.current->ask(HistoryWording::question(*info, counts, undone),
                                     MessageButtons::YesNo, MessageDefault::Second,
                                     MessageIcon::Question, title) != MessageAnswer::Yes)
                return false;
        }
        const RunUndo::Result result = RunUndo::undo(db, run, trial);
        prompts.notice(HistoryWording::outcome(result, trial, redo ? undone->number : 0,
                                               counts.productsOnly, KeptShown),
                       MessageIcon::Information, title);
        return !trial;
    } catch (const RunTimeError& error) {
        prompts.notice(error.description(), MessageIcon::Critical, title);
        return false;
    }
}

QPushButton* makeButton(QWidget* parent) {
    auto* button = new QPushButton(u"Undo This Run"_s, parent);
    button->setObjectName(u"cmdUndoRun"_s);
    button->setAutoDefault(false);
    button->hide();
    return button;
}

qint64 offerLastRun(CatalogueDatabase& db, QPushButton* button) {
    const qint64 run = JournalConnection::takeLastRun(db);
    // A run whose work was rolled back left no journal to take back.
    const bool kept = run != 0 && RunHistory::run(db, run).has_value();
    button->setVisible(kept);
    return kept ? run : 0;
}

} // namespace tovin::UndoRunPrompt
