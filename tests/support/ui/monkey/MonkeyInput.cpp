#include "support/ui/monkey/MonkeyInput.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QTextEdit>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test::monkey {

const QStringList& hostileTexts() {
    static const QStringList texts{
        QString(),
        QString(10000, u'W'),
        u"O'Brien"_s,
        u"\"quoted\""_s,
        u"<script>"_s,
        u"'; drop table Products; --"_s,
        u"1e60"_s,
        u"-1"_s,
        u"0"_s,
        u"32768"_s,
        u"12,50"_s,
        u"02/30/2024"_s,
        u"\u05E9\u05DC\u05D5\u05DD \u0645\u0631\u062D\u0628\u0627"_s, // right to left
        u"\U0001F600\U0001F4E6"_s,                                    // emoji
        // Plain small amounts let sales and orders go through.
        u"1"_s,
        u"2"_s,
    };
    return texts;
}

namespace {

const QStringList& keyNames() {
    static const QStringList keys{u"Return"_s, u"Escape"_s, u"Tab"_s,  u"Del"_s,  u"F4"_s,
                                  u"Up"_s,     u"Down"_s,   u"Left"_s, u"Right"_s};
    return keys;
}

// The access keys ("&Add") of the buttons showing in the target's window.
QStringList accessKeys(const QWidget* target) {
    QStringList keys;
    for (const QAbstractButton* button : target->window()->findChildren<QAbstractButton*>()) {
        if (!button->isVisible())
            continue;
        const QString text = button->text();
        const qsizetype amp = text.indexOf(u'&');
        if (amp >= 0 && amp + 1 < text.size() && text.at(amp + 1) != u'&')
            keys << u"Alt+"_s + text.at(amp + 1).toUpper();
    }
    keys.sort();
    keys.removeDuplicates();
    return keys;
}

QPoint clickPoint(QWidget* widget, const QString& value) {
    if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model()) {
        const QModelIndex index = view->model()->index(value.toInt(), 0);
        if (index.isValid())
            return view->visualRect(index).center();
    }
    return widget->rect().center();
}

QWidget* clickTarget(QWidget* widget) {
    if (auto* view = qobject_cast<QAbstractItemView*>(widget))
        return view->viewport();
    return widget;
}

// A key press may close the widget's screen (Escape, Enter on a default button) and run a
// dialog's event loop that deletes it: the release goes only to a widget that is still there.
void keyClick(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QPointer<QWidget> alive(widget);
    QTest::keyPress(widget, key, modifiers);
    if (alive)
        QTest::keyRelease(widget, key, modifiers);
}

void keyText(QWidget* widget, const QString& text) {
    QPointer<QWidget> alive(widget);
    for (const QChar c : text) {
        if (!alive)
            return;
        QTest::sendKeyEvent(QTest::KeyAction::Click, widget, Qt::Key_unknown, c, {});
    }
}

void mouseClick(QWidget* widget, const QPoint& point, bool twice) {
    QPointer<QWidget> alive(widget);
    QTest::mousePress(widget, Qt::LeftButton, {}, point);
    if (alive)
        QTest::mouseRelease(widget, Qt::LeftButton, {}, point);
    if (!twice || !alive)
        return;
    QTest::mousePress(widget, Qt::LeftButton, {}, point);
    if (!alive)
        return;
    QTest::mouseDClick(widget, Qt::LeftButton, {}, point);
    if (alive)
        QTest::mouseRelease(widget, Qt::LeftButton, {}, point);
}

void giveFocus(QWidget* widget) {
    widget->window()->activateWindow();
    widget->setFocus(Qt::OtherFocusReason);
}

void typeText(QWidget* widget, const QString& text) {
    giveFocus(widget);
    QPointer<QWidget> alive(widget);
    keyClick(widget, Qt::Key_A, Qt::ControlModifier); // type over what is there
    if (!alive)
        return;
    // Short plain texts are typed key by key, so every key's handler runs; long texts and
    // characters beyond one key event are pasted, as a user would.
    bool plain = text.size() <= 40;
    for (const QChar c : text)
        plain = plain && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    if (plain) {
        keyText(widget, text);
        return;
    }
    QApplication::clipboard()->setText(text);
    if (text.isEmpty())
        keyClick(widget, Qt::Key_Delete);
    else
        keyClick(widget, Qt::Key_V, Qt::ControlModifier);
}

} // namespace

bool takesText(const QWidget* widget) {
    if (auto* edit = qobject_cast<const QLineEdit*>(widget))
        return !edit->isReadOnly();
    if (auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->isEditable();
    return qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget);
}

Input chooseInput(const Target& target, QRandomGenerator& random) {
    if (target.action)
        return {u"trigger"_s, QString()};
    QWidget* widget = target.widget;
    const int roll = int(random.bounded(100));
    QString row;
    if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model()) {
        const int rows = view->model()->rowCount();
        row = QString::number(rows > 0 ? int(random.bounded(quint32(std::min(rows, 30)))) : 0);
    }
    if (takesText(widget) && roll < 40)
        return {u"type"_s, hostileTexts().at(int(random.bounded(quint32(hostileTexts().size()))))};
    if (roll < 60)
        return {u"click"_s, row};
    if (roll < 70)
        return {u"dblclick"_s, row};
    QStringList keys = keyNames();
    if (roll >= 90)
        keys = accessKeys(widget);
    if (keys.isEmpty())
        keys = keyNames();
    return {u"key"_s, keys.at(int(random.bounded(quint32(keys.size()))))};
}

bool perform(const Target& target, const Input& input) {
    if (target.action) {
        if (input.action != u"trigger"_s)
            return false;
        target.action->trigger();
        return true;
    }
    QWidget* widget = target.widget;
    if (!widget)
        return false;
    if (input.action == u"click"_s || input.action == u"dblclick"_s) {
        QWidget* where = clickTarget(widget);
        const QPoint point = clickPoint(widget, input.value);
        mouseClick(where, point, input.action == u"dblclick"_s);
        return true;
    }
    if (input.action == u"key"_s) {
        const QKeySequence sequence = QKeySequence::fromString(input.value);
        if (sequence.isEmpty())
            return false;
        giveFocus(widget);
        const QKeyCombination key = sequence[0];
        keyClick(widget, key.key(), key.keyboardModifiers());
        return true;
    }
    if (input.action == u"type"_s) {
        typeText(widget, input.value);
        return true;
    }
    return false;
}

} // namespace tovin::test::monkey
