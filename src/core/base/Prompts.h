#pragma once

#include "core/base/RunTimeError.h"

#include <QString>
#include <optional>

namespace tovin {

// The buttons, icon and answer of a message box.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };
// Which button Enter (or Space on the focused button) picks when the box opens.
enum class MessageDefault { First, Second, Third };

// A file dialog request: the preset file name, the filter in the "Caption|*.ext|Caption|*.ext"
// form the screens use, and the window title (empty for the platform's default).
struct FileDialogRequest {
    QString fileName;
    QString filter;
    QString title;
    QString folder; // the folder the dialog starts in; empty for the current folder
};

struct FontChoice {
    QString face;
    double pointSize = 10;
    bool bold = false;
    bool italic = false;
    bool strikeout = false;
    bool underline = false;
};

struct RgbColor {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const RgbColor&) const = default;
};

// Every question and notice the program shows goes through this interface, so screens and
// logic stay testable: the program uses real dialogs, tests answer from a script.
class Prompts {
public:
    virtual ~Prompts() = default;
    virtual MessageAnswer message(const QString& text, MessageButtons buttons, MessageIcon icon,
                                  const QString& title) = 0;
    // Asks for a text; a cancelled box gives an empty text.
    virtual QString input(const QString& prompt, const QString& title,
                          const QString& defaultText) = 0;
    // File dialogs give the chosen full path, or an empty text when cancelled.
    virtual QString openFile(const FileDialogRequest& request) = 0;
    virtual QString saveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<FontChoice> chooseFont(const FontChoice& initial) = 0;
    virtual std::optional<RgbColor> chooseColor(const RgbColor& initial) = 0;

    // A question whose default button is not the first, as "Delete this record?" defaults to No
    // so that a stray Enter keeps the record. Without an override it is a plain message.
    virtual MessageAnswer ask(const QString& text, MessageButtons buttons,
                              MessageDefault defaultButton, MessageIcon icon,
                              const QString& title) {
        (void)defaultButton;
        return message(text, buttons, icon, title);
    }

    // A plain notice with only an OK button.
    void notice(const QString& text, MessageIcon icon = MessageIcon::None,
                const QString& title = QString()) {
        message(text, MessageButtons::Ok, icon, title);
    }
};

// Where one window's questions and notices go: real dialogs in the program, a script in tests.
// The window's shell owns it and hands it to the screens and dialogs it makes; empty, nobody is
// asked (a screen made with no one to answer).
struct PromptsInUse {
    Prompts* current = nullptr;

    // Shows a notice when there is anyone to tell (nothing when empty).
    void notice(const QString& text, MessageIcon icon = MessageIcon::None,
                const QString& title = QString()) const {
        if (current)
            current->notice(text, icon, title);
    }

    // The prompts in use; with none, raises error 424 rather than asking nobody.
    Prompts& required() const {
        if (!current)
            throw RunTimeError(ErrorNumber::ObjectRequired, QStringLiteral("No prompts"));
        return *current;
    }
};

} // namespace tovin
