#pragma once

#include "core/base/Prompts.h"

#include <QString>
#include <QtGlobal>
#include <optional>

namespace tovin {

// Browse and edit mode of a record maintenance screen, apart from its widgets: whether a row is
// being added or edited, the row to go back to on Cancel, and what each row command does to the
// mode, the status line and the buttons. The screen carries out the record set's side (AddNew,
// Update, CancelUpdate, moves) and shows what this says.
//
// The flags are open: screens built on the pattern test and set them in their own versions of
// the commands.
class RecordEditState {
public:
    using Bookmark = qint64;

    bool adding = false;  // AddNew was done and the row is neither written nor cancelled
    bool editing = false; // Edit was clicked and the row is neither written nor cancelled
    // The row that was current at the last Add; 0 until the first Add.
    Bookmark savedPosition = 0;

    // Neither adding nor editing: the row commands and the navigation keys act.
    bool browsing() const { return !adding && !editing; }

    // Add and Edit switch to edit mode; each returns the status line to show.
    QString add();
    QString edit();
    // A written row: back to browsing. True when the row was a new one, which the set then
    // shows as its last row.
    bool updated();
    // A cancelled row: back to browsing, on the row saved at the last Add (also after an Edit);
    // no value means the first row.
    std::optional<Bookmark> cancelled();

    // A write the catalogue refused keeps the row in (or puts it into) edit mode so Update and
    // Cancel are offered for it: a new row as added, any other as edited unless an Add is under
    // way. Returns the status line to show.
    QString refused(bool rowIsNew);
    // A failed step was a refused write when the row still holds changes not written.
    static bool wasRefusedWrite(bool setOpen, bool rowDirty) { return setOpen && rowDirty; }

    // Which buttons show, and which navigation buttons act, in browse or edit mode.
    struct Buttons {
        bool rowCommands = true;  // Add, Edit, Delete, Refresh, Close
        bool editCommands = true; // Update, Cancel
        bool navigation = true;   // First, Previous, Next, Last
    };
    static Buttons buttonsFor(bool browse);
    // The status line after a move, and whether the buttons that need a row (Edit, Delete and
    // the navigation) act.
    static QString positionText(int position, int recordCount);
    static bool rowButtonsEnabled(int recordCount) { return recordCount > 0; }

    // Closing a screen that edits a row: what the answer to "Save the changes to this record?"
    // leads to. After UpdateThenClose the screen closes only once the row was written.
    enum class CloseStep { UpdateThenClose, CancelThenClose, StayOpen };
    static CloseStep closeStep(MessageAnswer answer);
};

} // namespace tovin
