#pragma once

#include "core/base/Prompts.h"

class QWidget;

namespace tovin {

// Prompts shown as the platform's real dialogs, owned by the main window when there is one.
class QtPrompts : public Prompts {
public:
    MessageAnswer message(const QString& text, MessageButtons buttons, MessageIcon icon,
                          const QString& title) override;
    MessageAnswer ask(const QString& text, MessageButtons buttons, MessageDefault defaultButton,
                      MessageIcon icon, const QString& title) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText) override;
    QString openFile(const FileDialogRequest& request) override;
    QString saveFile(const FileDialogRequest& request) override;
    std::optional<FontChoice> chooseFont(const FontChoice& initial) override;
    std::optional<RgbColor> chooseColor(const RgbColor& initial) override;

    // "Text|*.txt|All Files|*.*" becomes "Text (*.txt);;All Files (*.*)".
    static QString toQtFilter(const QString& filter);

private:
    QWidget* owner() const;
};

} // namespace tovin
