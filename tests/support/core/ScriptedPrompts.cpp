#include "support/core/ScriptedPrompts.h"

#include "support/core/ProgramFaults.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test {

// Every test using the support fails on a program fault.
[[maybe_unused]] const bool promptsFailOnFaults = (failOnProgramFaults(), true);

namespace {
const char* kindName(ScriptedPrompts::Kind kind) {
    switch (kind) {
    case ScriptedPrompts::Kind::Message:
        return "message box";
    case ScriptedPrompts::Kind::Input:
        return "input box";
    case ScriptedPrompts::Kind::OpenFile:
        return "open-file dialog";
    case ScriptedPrompts::Kind::SaveFile:
        return "save-file dialog";
    case ScriptedPrompts::Kind::Font:
        return "font dialog";
    case ScriptedPrompts::Kind::Color:
        return "colour dialog";
    }
    return "prompt";
}
} // namespace

ScriptedPrompts::ScriptedPrompts(PromptsInUse& where) : m_where(where), m_previous(where.current) {
    where.current = this;
}

ScriptedPrompts::~ScriptedPrompts() {
    if (m_where.current == this)
        m_where.current = m_previous;
}

ScriptedPrompts& ScriptedPrompts::script(Answer answer) {
    m_script << std::move(answer);
    return *this;
}

ScriptedPrompts& ScriptedPrompts::answerMessage(MessageAnswer answer) {
    return script({Kind::Message, answer, {}, {}, {}});
}

ScriptedPrompts& ScriptedPrompts::answerInput(const QString& text) {
    return script({Kind::Input, MessageAnswer::Ok, text, {}, {}});
}

ScriptedPrompts& ScriptedPrompts::answerOpenFile(const QString& path) {
    return script({Kind::OpenFile, MessageAnswer::Ok, path, {}, {}});
}

ScriptedPrompts& ScriptedPrompts::answerSaveFile(const QString& path) {
    return script({Kind::SaveFile, MessageAnswer::Ok, path, {}, {}});
}

ScriptedPrompts& ScriptedPrompts::answerFont(std::optional<FontChoice> font) {
    return script({Kind::Font, MessageAnswer::Ok, {}, std::move(font), {}});
}

ScriptedPrompts& ScriptedPrompts::answerColor(std::optional<RgbColor> color) {
    return script({Kind::Color, MessageAnswer::Ok, {}, {}, color});
}

QStringList ScriptedPrompts::shownTexts() const {
    QStringList texts;
    for (const Shown& s : m_shown)
        texts << s.text;
    return texts;
}

void ScriptedPrompts::clear() {
    m_script.clear();
    m_shown.clear();
}

bool ScriptedPrompts::take(Kind kind, const QString& shownText, Answer& answer) {
    if (m_script.isEmpty()) {
        const QByteArray message =
            QByteArray("Unscripted ") + kindName(kind) + ": " + shownText.toUtf8();
        QTest::qFail(message.constData(), __FILE__, __LINE__);
        return false;
    }
    if (m_script.first().kind != kind) {
        const QByteArray message = QByteArray("Expected a ") + kindName(m_script.first().kind) +
                                   " but a " + kindName(kind) + " was shown: " + shownText.toUtf8();
        QTest::qFail(message.constData(), __FILE__, __LINE__);
        return false;
    }
    answer = m_script.takeFirst();
    return true;
}

MessageAnswer ScriptedPrompts::message(const QString& text, MessageButtons buttons,
                                       MessageIcon icon, const QString& title) {
    m_shown << Shown{Kind::Message, text, title, buttons, icon, {}, {}};
    Answer a;
    a.kind = Kind::Message;
    if (!take(Kind::Message, text, a))
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    return a.message;
}

MessageAnswer ScriptedPrompts::ask(const QString& text, MessageButtons buttons,
                                   MessageDefault defaultButton, MessageIcon icon,
                                   const QString& title) {
    m_shown << Shown{Kind::Message, text, title, buttons, icon, {}, {}, defaultButton};
    Answer a;
    a.kind = Kind::Message;
    if (!take(Kind::Message, text, a))
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    return a.message;
}

QString ScriptedPrompts::input(const QString& prompt, const QString& title,
                               const QString& defaultText) {
    m_shown << Shown{Kind::Input,       prompt,      title, MessageButtons::OkCancel,
                     MessageIcon::None, defaultText, {}};
    Answer a;
    a.kind = Kind::Input;
    return take(Kind::Input, prompt, a) ? a.text : QString();
}

QString ScriptedPrompts::openFile(const FileDialogRequest& request) {
    m_shown << Shown{Kind::OpenFile,    request.title,    request.title, MessageButtons::OkCancel,
                     MessageIcon::None, request.fileName, request};
    Answer a;
    a.kind = Kind::OpenFile;
    return take(Kind::OpenFile, request.filter, a) ? a.text : QString();
}

QString ScriptedPrompts::saveFile(const FileDialogRequest& request) {
    m_shown << Shown{Kind::SaveFile,    request.title,    request.title, MessageButtons::OkCancel,
                     MessageIcon::None, request.fileName, request};
    Answer a;
    a.kind = Kind::SaveFile;
    return take(Kind::SaveFile, request.filter, a) ? a.text : QString();
}

std::optional<FontChoice> ScriptedPrompts::chooseFont(const FontChoice& initial) {
    m_shown << Shown{Kind::Font,        initial.face, {}, MessageButtons::OkCancel,
                     MessageIcon::None, {},           {}};
    Answer a;
    a.kind = Kind::Font;
    return take(Kind::Font, initial.face, a) ? a.font : std::nullopt;
}

std::optional<RgbColor> ScriptedPrompts::chooseColor(const RgbColor& initial) {
    Q_UNUSED(initial);
    m_shown << Shown{Kind::Color, {}, {}, MessageButtons::OkCancel, MessageIcon::None, {}, {}};
    Answer a;
    a.kind = Kind::Color;
    return take(Kind::Color, QString(), a) ? a.color : std::nullopt;
}

} // namespace tovin::test
