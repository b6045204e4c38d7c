#pragma once

#include "core/base/Prompts.h"

#include <QList>
#include <QStringList>

namespace tovin::test {

// A Prompts double for tests: answers every prompt from a script given in advance and records
// every text shown. A prompt the script did not expect fails the running test. While it lives,
// it is the prompts in use of `where` (the test's shell or screen); it puts back the ones before.
class ScriptedPrompts : public Prompts {
public:
    enum class Kind { Message, Input, OpenFile, SaveFile, Font, Color };

    struct Shown {
        Kind kind;
        QString text; // message text or input prompt
        QString title;
        MessageButtons buttons = MessageButtons::Ok;
        MessageIcon icon = MessageIcon::None;
        QString defaultText;
        FileDialogRequest request;
        MessageDefault defaultButton = MessageDefault::First;
    };

    explicit ScriptedPrompts(PromptsInUse& where);
    ~ScriptedPrompts() override;

    // The next prompt must be of this kind; it gets this answer.
    ScriptedPrompts& answerMessage(MessageAnswer answer);
    ScriptedPrompts& answerInput(const QString& text);
    ScriptedPrompts& answerOpenFile(const QString& path);
    ScriptedPrompts& answerSaveFile(const QString& path);
    ScriptedPrompts& answerFont(std::optional<FontChoice> font);
    ScriptedPrompts& answerColor(std::optional<RgbColor> color);

    const QList<Shown>& shown() const { return m_shown; }
    QStringList shownTexts() const;
    int unanswered() const { return int(m_script.size()); }
    void clear();

    MessageAnswer message(const QString& text, MessageButtons buttons, MessageIcon icon,
                          const QString& title) override;
    MessageAnswer ask(const QString& text, MessageButtons buttons, MessageDefault defaultButton,
                      MessageIcon icon, const QString& title) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText) override;
    QString openFile(const FileDialogRequest& request) override;
    QString saveFile(const FileDialogRequest& request) override;
    std::optional<FontChoice> chooseFont(const FontChoice& initial) override;
    std::optional<RgbColor> chooseColor(const RgbColor& initial) override;

private:
    struct Answer {
        Kind kind = Kind::Message;
        MessageAnswer message = MessageAnswer::Ok;
        QString text;
        std::optional<FontChoice> font;
        std::optional<RgbColor> color;
    };
    ScriptedPrompts& script(Answer answer);
    bool take(Kind kind, const QString& shownText, Answer& answer);

    QList<Answer> m_script;
    QList<Shown> m_shown;
    PromptsInUse& m_where;
    Prompts* m_previous = nullptr;
};

} // namespace tovin::test
