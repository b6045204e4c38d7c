#include "ui/shell/QtPrompts.h"

#include "core/settings/SettingsStore.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// The program's main window: the one visible main window among the top-level windows, or none
// (before it shows, after it closed, and in tests without one).
QWidget* mainWindow() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(window) && window->isVisible())
            return window;
    return nullptr;
}

// The child screen the document area shows as active (or, when that one closed while the
// dialog was up, the one active before it) and the widget inside it that last had the focus.
QWidget* activeScreenFocus(QWidget* window) {
    auto* area = window->findChild<QMdiArea*>();
    if (!area)
        return nullptr;
    QMdiSubWindow* screen = area->activeSubWindow();
    if (!screen) {
        const QList<QMdiSubWindow*> history = area->subWindowList(QMdiArea::ActivationHistoryOrder);
        if (history.isEmpty())
            return nullptr;
        screen = history.last();
        area->setActiveSubWindow(screen);
    }
    QWidget* inside = screen->widget() ? screen->widget()->focusWidget() : nullptr;
    return inside ? inside : screen;
}

// When a dialog closes, the window system may leave no window active, or activate the main
// window only a moment later: the menu keys pressed meanwhile go nowhere. The window that was
// active before the dialog is made active again, with the focus on the widget that had it, or
// on the active child screen when that widget went with its screen.
void giveKeyboardBack(const QPointer<QWidget>& window, const QPointer<QWidget>& focus) {
    QWidget* target = window ? window.data() : mainWindow();
    if (!target || !target->isVisible())
        return;
    target->activateWindow();
    QWidget* next = focus && focus->window() == target && focus->isVisible() && focus->isEnabled()
                        ? focus.data()
                        : activeScreenFocus(target);
    if (next)
        next->setFocus(Qt::ActiveWindowFocusReason);
}

// Shows a dialog by `show` and then gives the keyboard back.
template <class Show> auto keepingFocus(Show&& show) {
    const QPointer<QWidget> window = QApplication::activeWindow();
    const QPointer<QWidget> focus = QApplication::focusWidget();
    auto answer = show();
    giveKeyboardBack(window, focus);
    return answer;
}

} // namespace

QWidget* QtPrompts::owner() const {
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return mainWindow();
}

MessageAnswer QtPrompts::message(const QString& text, MessageButtons buttons, MessageIcon icon,
                                 const QString& title) {
    return ask(text, buttons, MessageDefault::First, icon, title);
}

MessageAnswer QtPrompts::ask(const QString& text, MessageButtons buttons,
                             MessageDefault defaultButton, MessageIcon icon, const QString& title) {
    QMessageBox box(owner());
    box.setWindowTitle(title.isEmpty() ? SettingsStore::ApplicationTitle : title);
    box.setText(text);
    switch (icon) {
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::None:
        break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MessageButtons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    case MessageButtons::AbortRetryIgnore:
        box.setStandardButtons(QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
        break;
    }
    // The buttons in the order the box names them (Yes, No, Cancel).
    const QList<QMessageBox::StandardButton> order = {
        QMessageBox::Ok,    QMessageBox::Yes,    QMessageBox::No,    QMessageBox::Abort,
        QMessageBox::Retry, QMessageBox::Ignore, QMessageBox::Cancel};
    QList<QMessageBox::StandardButton> present;
    for (QMessageBox::StandardButton b : order)
        if (box.standardButtons() & b)
            present << b;
    if (const int wanted = int(defaultButton); wanted < present.size())
        box.setDefaultButton(present.at(wanted));
    switch (keepingFocus([&] { return box.exec(); })) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    case QMessageBox::Abort:
        return MessageAnswer::Abort;
    case QMessageBox::Ignore:
        return MessageAnswer::Ignore;
    default:
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    }
}

QString QtPrompts::input(const QString& prompt, const QString& title, const QString& defaultText) {
    bool ok = false;
    const QString text = keepingFocus([&] {
        return QInputDialog::getText(owner(),
                                     title.isEmpty() ? SettingsStore::ApplicationTitle : title,
                                     prompt, QLineEdit::Normal, defaultText, &ok);
    });
    return ok ? text : QString();
}

QString QtPrompts::toQtFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(u';', u' ');
        entries << parts.at(i) + u" ("_s + patterns + u')';
    }
    return entries.join(u";;"_s);
}

namespace {
QString startPath(const FileDialogRequest& request) {
    QString name = request.fileName;
    // A preset such as "*.mdb" is a pattern, not a name to propose.
    if (name.contains(u'*'))
        name.clear();
    if (request.folder.isEmpty())
        return name;
    return request.folder + u'/' + name;
}
} // namespace

QString QtPrompts::openFile(const FileDialogRequest& request) {
    return keepingFocus([&] {
        return QFileDialog::getOpenFileName(owner(), request.title, startPath(request),
                                            toQtFilter(request.filter));
    });
}

QString QtPrompts::saveFile(const FileDialogRequest& request) {
    return keepingFocus([&] {
        return QFileDialog::getSaveFileName(owner(), request.title, startPath(request),
                                            toQtFilter(request.filter));
    });
}

std::optional<FontChoice> QtPrompts::chooseFont(const FontChoice& initial) {
    QFont font(initial.face);
    font.setPointSizeF(initial.pointSize > 0 ? initial.pointSize : 10);
    font.setBold(initial.bold);
    font.setItalic(initial.italic);
    font.setStrikeOut(initial.strikeout);
    font.setUnderline(initial.underline);
    bool ok = false;
    const QFont chosen = keepingFocus([&] { return QFontDialog::getFont(&ok, font, owner()); });
    if (!ok)
        return std::nullopt;
    FontChoice choice;
    choice.face = chosen.family();
    choice.pointSize = chosen.pointSizeF();
    choice.bold = chosen.bold();
    choice.italic = chosen.italic();
    choice.strikeout = chosen.strikeOut();
    choice.underline = chosen.underline();
    return choice;
}

std::optional<RgbColor> QtPrompts::chooseColor(const RgbColor& initial) {
    const QColor color = keepingFocus([&] {
        return QColorDialog::getColor(QColor(initial.red, initial.green, initial.blue), owner());
    });
    if (!color.isValid())
        return std::nullopt;
    return RgbColor{color.red(), color.green(), color.blue()};
}

} // namespace tovin
