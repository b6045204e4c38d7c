#pragma once

#include <QAction>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

// What the monkey can act on, named by paths that stay the same from run to run: a chain of
// object names (or class names where a widget has none) with an index among like-named
// siblings, so the same seed picks the same widget and a replay file finds it again.
namespace tovin::test::monkey {

struct Target {
    QString path;
    QPointer<QWidget> widget;
    QPointer<QAction> action; // a menu entry or a button bar button
};

// The path of `widget` below `root` ("frmMain/mdiArea/.../cmdAdd#0").
QString pathOf(const QWidget* widget, const QWidget* root);

// Visible, enabled widgets a user could click or type into below `root` (windows that are
// children of it included), sorted by path; denied ones and anything inside a web view left out.
QList<Target> widgetTargets(QWidget* root);
// The entries of the main window's menus and button bar that are visible and enabled.
QList<Target> actionTargets(QWidget* mainWindow);
// The entries of an open popup menu.
QList<Target> popupTargets(QWidget* popup);

// The widget or entry a path names now, if it is still there and usable.
Target resolve(const QString& path, QWidget* mainWindow, QWidget* modalRoot);

// Controls the monkey never touches: the ones that end the program, start another program, or
// load pages from the web.
bool denied(const QString& objectName);

} // namespace tovin::test::monkey
