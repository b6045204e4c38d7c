#pragma once

#include <Qt>

class QKeyEvent;
class QObject;
class QWidget;

namespace tovin {

// The keys of a record screen and where its keyboard focus goes.
namespace RecordScreenKeys {

// The shift state of the key table: 1 Shift, 2 Ctrl, 4 Alt.
int shiftState(Qt::KeyboardModifiers modifiers);

// What a key does on a screen that browses its rows; None leaves the key to the control.
enum class RowKey { None, Close, First, Last, Previous, Next };
RowKey browseKey(int key, int shift);

// A text box the screen owns that no column is bound to (a search box): the row keys belong
// to it and Escape empties it.
bool isFreeTextBox(QObject* watched);
// Returns whether the key was used up (otherwise the box takes it).
bool freeTextBoxKey(QObject* watched, QKeyEvent* key);

// The first box of `screen`, in focus order, the user can type in; nullptr when none.
QWidget* firstEditableBox(const QWidget* screen);
// Where focus goes after a row command: the first box the user can type in while editing,
// `edit` (or `add` on an empty screen) while browsing; never Delete, where a stray Space would
// remove the row. nullptr when none of them can take it.
QWidget* focusAfterRowCommand(const QWidget* screen, bool editing, QWidget* edit, QWidget* add);
// Gives `target` the focus, with its text selected when it is a box, so typing replaces it.
void focusWithTextSelected(QWidget* target);

} // namespace RecordScreenKeys

} // namespace tovin
