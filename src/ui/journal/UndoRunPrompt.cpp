#include "ui/journal/UndoRunPrompt.h"

#include "core/data/CatalogueDatabase.h"
#include "core/journal/JournalConnection.h"
#include "core/journal/RunHistory.h"
#include "core/journal/RunUndo.h"
#include "core/shell/Prompts.h"
#include "core/shell/RunTimeError.h"
#include "core/shell/SharedState.h"

#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace tovin::UndoRunPrompt {

namespace {

// A message box shows a screenful; the rest are counted.
constexpr int KeptShown = 20;

void tell(const QString& text, MessageIcon icon, const QString& title) {
    if (shared().prompts)
        shared().prompts->notice(text, icon, title);
}

} // namespace

bool undo(CatalogueDatabase& db, qint64 run, bool trial, const QString& title) {
    try {
        const RunUndo::Result result = RunUndo::undo(db, run, trial);
        QString text = RunUndo::summary(result, trial);
        for (qsizetype i = 0; i < result.kept.size() && i < KeptShown; ++i)
            text += u"\n"_s + RunUndo::line(result.kept.at(i));
        if (result.kept.size() > KeptShown)
            text += u"\n... and %1 more"_s.arg(result.kept.size() - KeptShown);
        tell(text, MessageIcon::Information, title);
        return !trial;
    } catch (const RunTimeError& error) {
        tell(error.description(), MessageIcon::Critical, title);
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
