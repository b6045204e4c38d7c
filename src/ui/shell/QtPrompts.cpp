#include "ui/shell/QtPrompts.h"

#include "core/shell/SettingsStore.h"
#include "core/shell/SharedState.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

QWidget* QtPrompts::owner() const {
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return qobject_cast<QWidget*>(shared().MainWindow);
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
    switch (box.exec()) {
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
    const QString text =
        QInputDialog::getText(owner(), title.isEmpty() ? SettingsStore::ApplicationTitle : title,
                              prompt, QLineEdit::Normal, defaultText, &ok);
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
    return QFileDialog::getOpenFileName(owner(), request.title, startPath(request),
                                        toQtFilter(request.filter));
}

QString QtPrompts::saveFile(const FileDialogRequest& request) {
    return QFileDialog::getSaveFileName(owner(), request.title, startPath(request),
                                        toQtFilter(request.filter));
}

std::optional<FontChoice> QtPrompts::chooseFont(const FontChoice& initial) {
    QFont font(initial.face);
    font.setPointSizeF(initial.pointSize > 0 ? initial.pointSize : 10);
    font.setBold(initial.bold);
    font.setItalic(initial.italic);
    font.setStrikeOut(initial.strikeout);
    font.setUnderline(initial.underline);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, owner());
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
    const QColor color =
        QColorDialog::getColor(QColor(initial.red, initial.green, initial.blue), owner());
    if (!color.isValid())
        return std::nullopt;
    return RgbColor{color.red(), color.green(), color.blue()};
}

} // namespace tovin
