#pragma once

#include "support/ui/WidgetFinder.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <utility>

// What screen tests do over and over: click a button, type into a box, read the status line,
// and open a screen on the offscreen platform.
namespace tovin::test {

inline QString status(QWidget* screen) {
    return control<QLabel>(screen, QStringLiteral("lblStatus"))->text();
}

inline void click(QWidget* screen, const QString& button) {
    QTest::mouseClick(control<QAbstractButton>(screen, button), Qt::LeftButton);
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
