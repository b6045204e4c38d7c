#pragma once

#include "support/ui/WidgetFinder.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVariant>
#include <functional>
#include <memory>
#include <utility>

// What screen tests do over and over: click a button, type into a box, read the status line,
// open a screen on the offscreen platform, and read the catalogue the screens work on.
namespace tovin::test {

// The offscreen platform's notes on window requests it can't carry out would bury the output.
void quietenPlatformNotes();

// The catalogue in use of the test's program folder: one value of a query, a statement, a product's
// column.
QVariant dbValue(const QString& sql, const QVariantList& values = {});
void dbRun(const QString& sql, const QVariantList& values = {});
QString productColumn(const QString& column, const QString& stockNo);

// Keys as written in a menu, such as "Ctrl+Shift+Down".
void pressKeys(QWidget* target, const QString& keys);

// The object name of the control that has the keyboard focus in the screen's window.
QString focusName(QWidget* screen);

// Runs `act` on the child screen `name` once it shows. A handler that opens a screen and waits
// for it does not return, so the test has to act from the event loop.
void whenShown(const QString& name, std::function<void(QWidget*)> act);

inline QString status(QWidget* screen) {
    return control<QLabel>(screen, QStringLiteral("lblStatus"))->text();
}

inline void click(QWidget* screen, const QString& button) {
    QTest::mouseClick(control<QAbstractButton>(screen, button), Qt::LeftButton);
}

inline void click(QWidget* screen, const QStringList& buttons) {
    for (const QString& button : buttons)
        click(screen, button);
}

inline QLineEdit* box(QWidget* screen, int index) {
    return control<QLineEdit>(screen, QStringLiteral("txtFields"), index);
}

// Replaces a box's text the way a user does: select everything and type over it.
inline void type(QWidget* screen, int index, const QString& text) {
    QLineEdit* edit = box(screen, index);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// Edit mode of a record screen: only Update and Cancel shown, navigation off.
inline bool inEditMode(QWidget* screen) {
    return !control<QPushButton>(screen, QStringLiteral("cmdUpdate"))->isHidden() &&
           !control<QPushButton>(screen, QStringLiteral("cmdCancel"))->isHidden() &&
           control<QPushButton>(screen, QStringLiteral("cmdAdd"))->isHidden() &&
           control<QPushButton>(screen, QStringLiteral("cmdClose"))->isHidden() &&
           !control<QPushButton>(screen, QStringLiteral("cmdNext"))->isEnabled();
}

template <class Screen, class... Args> std::unique_ptr<Screen> openScreen(Args&&... args) {
    auto screen = std::make_unique<Screen>(std::forward<Args>(args)...);
    screen->show();
    if (!QTest::qWaitForWindowExposed(screen.get()))
        qWarning("screen not exposed");
    return screen;
}

} // namespace tovin::test
