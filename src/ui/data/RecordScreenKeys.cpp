#include "ui/data/RecordScreenKeys.h"

#include "ui/data/BoundTextBox.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace tovin::RecordScreenKeys {

int shiftState(Qt::KeyboardModifiers modifiers) {
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= 1;
    if (modifiers & Qt::ControlModifier)
        shift |= 2;
    if (modifiers & Qt::AltModifier)
        shift |= 4;
    return shift;
}

RowKey browseKey(int key, int shift) {
    // Ctrl alone turns a step into a jump to the end; with other shift keys it stays a step.
    const bool exactlyCtrl = shift == 2;
    switch (key) {
    case Qt::Key_Escape:
        return RowKey::Close;
    case Qt::Key_End:
        return RowKey::Last;
    case Qt::Key_Home:
        return RowKey::First;
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        return exactlyCtrl ? RowKey::First : RowKey::Previous;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        return exactlyCtrl ? RowKey::Last : RowKey::Next;
    default:
        return RowKey::None;
    }
}

bool isFreeTextBox(QObject* watched) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    return edit && !qobject_cast<BoundTextBox*>(edit) && !edit->isReadOnly();
}

bool freeTextBoxKey(QObject* watched, QKeyEvent* key) {
    auto* edit = static_cast<QLineEdit*>(watched);
    switch (key->key()) {
    case Qt::Key_Escape:
        edit->clear();
        return true;
    case Qt::Key_Home:
    case Qt::Key_End:
        // The box moves its cursor.
        return false;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // A one-line box has nowhere to go; the row stays where it is.
        return true;
    default:
        return false;
    }
}

QWidget* firstEditableBox(const QWidget* screen) {
    for (QWidget* w = screen->nextInFocusChain(); w && w != screen; w = w->nextInFocusChain()) {
        if (!screen->isAncestorOf(w))
            continue;
        auto* box = qobject_cast<BoundTextBox*>(w);
        if (box && box->isVisibleTo(screen) && box->isEnabled() && !box->isReadOnly())
            return box;
    }
    return nullptr;
}

QWidget* focusAfterRowCommand(const QWidget* screen, bool editing, QWidget* edit, QWidget* add) {
    if (editing)
        return firstEditableBox(screen);
    for (QWidget* button : {edit, add})
        if (button->isVisibleTo(screen) && button->isEnabled())
            return button;
    return nullptr;
}

void focusWithTextSelected(QWidget* target) {
    target->setFocus(Qt::OtherFocusReason);
    if (auto* box = qobject_cast<QLineEdit*>(target))
        box->selectAll();
}

} // namespace tovin::RecordScreenKeys
