#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QMdiArea;
class QWidget;

namespace tovin::ChildWindows {

// Makes a new instance of a child screen.
using Factory = std::function<QWidget*()>;

// Every child screen is registered once under its screen name ("Catagory", "frmSupplier",
// "Products", ...); the main window offers menu entries only for registered screens.
void registerScreen(const QString& name, Factory factory);
bool isRegistered(const QString& name);

// The main window's document area the screens open in (none in some tests: screens then open
// as plain top-level windows).
void setArea(QMdiArea* area);
QMdiArea* area();

// The open instance of a screen, or nullptr.
QWidget* find(const QString& name);
// Creates the screen if it is not loaded (its load runs) without showing it.
QWidget* load(const QString& name);
// Loads the screen if needed and shows it modeless; an open screen comes to the front.
QWidget* show(const QString& name);
// Closes the screen if it is open (its unload runs).
void unload(const QString& name);
// Closes every open screen; false when a screen refused to close and is still open.
bool unloadAll();
// The names of the screens that are open now.
QStringList openScreens();
// The registered name of an open screen ("" for a widget that is not one).
QString nameOf(const QWidget* screen);

} // namespace tovin::ChildWindows
