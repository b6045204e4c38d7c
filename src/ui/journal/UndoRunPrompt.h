#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace tovin {

class CatalogueDatabase;
struct PromptsInUse;

namespace UndoRunPrompt {

// Takes run `run` back (or with `trial` only finds out what that would change) and tells the
// outcome, with the rows left as they are, through `prompts`; a refusal is told the same way.
// Before taking a run back it asks, naming the run and what it changed, with No as the default
// answer. True when the run was taken back.
bool undo(const PromptsInUse& prompts, CatalogueDatabase& db, qint64 run, bool trial,
          const QString& title);

// The "Undo This Run" button of a screen that runs batches, hidden until a run ends.
QPushButton* makeButton(QWidget* parent);
// Shows the button for the run that just ended on `db`, or hides it when none did; returns the
// run's number (0 for none).
qint64 offerLastRun(CatalogueDatabase& db, QPushButton* button);

} // namespace UndoRunPrompt

} // namespace tovin
