#include "support/ui/monkey/MonkeyAnswers.h"

#include "core/backup/CatalogueBackup.h"
#include "support/ui/monkey/MonkeyInput.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test::monkey {

namespace {

QString pick(QRandomGenerator& random, const QStringList& choices) {
    return choices.at(int(random.bounded(quint32(choices.size()))));
}

const QStringList MessageNames{u"Ok"_s,    u"Cancel"_s, u"Yes"_s,   u"No"_s,
                               u"Retry"_s, u"Abort"_s,  u"Ignore"_s};

QStringList buttonNames(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return {u"Ok"_s};
    case MessageButtons::OkCancel:
        return {u"Ok"_s, u"Cancel"_s};
    case MessageButtons::YesNo:
        return {u"Yes"_s, u"No"_s};
    case MessageButtons::YesNoCancel:
        return {u"Yes"_s, u"No"_s, u"Cancel"_s};
    case MessageButtons::RetryCancel:
        return {u"Retry"_s, u"Cancel"_s};
    case MessageButtons::AbortRetryIgnore:
        return {u"Abort"_s, u"Retry"_s, u"Ignore"_s};
    }
    return {u"Ok"_s};
}

// "Text files|*.txt;*.csv|All|*.*" -> {"txt", "csv"}; empty for "any file".
QStringList extensions(const QString& filter) {
    QStringList out;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 1; i < parts.size(); i += 2)
        for (const QString& pattern : parts.at(i).split(u';'))
            if (pattern.startsWith(u"*."_s) && pattern != u"*.*"_s)
                out << pattern.mid(2).toLower();
    return out;
}

} // namespace

Answers::Answers(quint64 seed, QString folder, ReplayWriter& writer)
    : m_random(seed ^ 0x9E3779B97F4A7C15ULL), m_folder(std::move(folder)), m_writer(writer) {}

void Answers::replay(const QList<LogLine>& answers) {
    m_replaying = true;
    m_queue = answers;
}

std::optional<LogLine> Answers::recorded(LogLine::Kind kind, const QString& target) {
    if (m_queue.isEmpty() || m_queue.first().kind != kind || m_queue.first().target != target)
        return std::nullopt;
    return m_queue.takeFirst();
}

MonkeyPrompts::MonkeyPrompts(Answers& answers, PromptsInUse& where)
    : m_answers(answers), m_where(where), m_previous(where.current) {
    where.current = this;
}

MonkeyPrompts::~MonkeyPrompts() {
    if (m_where.current == this)
        m_where.current = m_previous;
}

QString MonkeyPrompts::answer(const QString& kind, const QStringList& choices,
                              const QString& asked) {
    QString value;
    if (m_answers.windingDown())
        return choices.value(choices.size() - 1);
    if (m_answers.replaying()) {
        const auto line = m_answers.recorded(LogLine::Kind::Prompt, kind);
        value = line ? line->value : choices.value(choices.size() - 1);
    } else {
        value = pick(m_answers.random(), choices);
    }
    // What was asked goes into the file for the reader; a replay does not compare it.
    const LogLine line{LogLine::Kind::Prompt, kind, asked.left(100), value};
    m_answers.record(line);
    std::fputs(qPrintable(u"\t"_s + toText(line).left(200) + u'\n'), stdout);
    return value;
}

MessageAnswer MonkeyPrompts::message(const QString& text, MessageButtons buttons, MessageIcon,
                                     const QString&) {
    const QString name = answer(u"message"_s, buttonNames(buttons), text);
    if (text.contains(u"delete"_s, Qt::CaseInsensitive) && (name == u"Yes"_s || name == u"Ok"_s))
        m_answers.setDeleteConfirmed(true);
    // A run taken back from the history screen changes the catalogue under whoever keeps track
    // of its contents, as a restore does.
    if (text.startsWith(u"The catalogue was restored from "_s) ||
        (text.startsWith(u"Run "_s) && text.contains(u" taken back"_s)))
        m_answers.setCatalogueRestored(true);
    const qsizetype index = MessageNames.indexOf(name);
    return index < 0 ? MessageAnswer::Ok : MessageAnswer(index);
}

QString MonkeyPrompts::input(const QString& prompt, const QString&, const QString& defaultText) {
    // Typed values, the offered text, or Cancel (an empty text) last.
    QStringList choices = hostileTexts();
    choices << defaultText << QString();
    const QString text = answer(u"input"_s, choices, prompt);
    return text;
}

QString MonkeyPrompts::fileAnswer(const QString& kind, const FileDialogRequest& request,
                                  bool saving) {
    const QDir folder(m_answers.folder());
    const QStringList wanted = extensions(request.filter);
    QStringList files;
    QDirIterator it(folder.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = folder.relativeFilePath(path);
        if (m_answers.leaveBackupsAlone() && relative.startsWith(u"Backups/"_s))
            continue;
        if (wanted.isEmpty() || wanted.contains(QFileInfo(path).suffix().toLower()))
            files << relative;
    }
    files.sort();
    // A few files at most, so the odds of Cancel stay the same in every folder.
    QStringList choices;
    if (!files.isEmpty()) {
        choices << files.at(int(m_answers.random().bounded(quint32(files.size()))));
        if (files.size() > 1)
            choices << files.at(int(m_answers.random().bounded(quint32(files.size()))));
    }
    if (saving)
        choices << u"saved/monkey."_s + (wanted.isEmpty() ? u"txt"_s : wanted.first());
    choices << QString(); // Cancel
    // The day's backup copy is named after the date; a replay written by hand names it
    // {today}, so that it still finds the copy on another day.
    const QString relative =
        answer(kind, choices, request.title)
            .replace(u"{today}"_s, CatalogueBackup::today().toString(u"yyyy-MM-dd"_s));
    if (relative.isEmpty())
        return QString();
    // A recorded answer never leads out of the folder.
    const QString path = QDir::cleanPath(folder.filePath(relative));
    if (!path.startsWith(QDir::cleanPath(folder.path()) + u'/'))
        return QString();
    if (saving)
        QDir().mkpath(QFileInfo(path).absolutePath());
    return path;
}

QString MonkeyPrompts::openFile(const FileDialogRequest& request) {
    return fileAnswer(u"open"_s, request, false);
}

QString MonkeyPrompts::saveFile(const FileDialogRequest& request) {
    const QString path = fileAnswer(u"save"_s, request, true);
    // A copy saved over an existing catalogue (Save As) replaces what that catalogue held, as a
    // restore does: whoever keeps track of its contents must start again.
    if (!path.isEmpty() && QFileInfo(path).isFile() && path.endsWith(u".mde"_s))
        m_answers.setCatalogueRestored(true);
    return path;
}

std::optional<FontChoice> MonkeyPrompts::chooseFont(const FontChoice& initial) {
    const QString size = answer(u"font"_s, {u"1"_s, u"8"_s, u"72"_s, u"400"_s, QString()});
    if (size.isEmpty())
        return std::nullopt;
    FontChoice font = initial;
    font.pointSize = size.toDouble();
    font.bold = !font.bold;
    return font;
}

std::optional<RgbColor> MonkeyPrompts::chooseColor(const RgbColor&) {
    const QString value =
        answer(u"color"_s, {u"0,0,0"_s, u"255,255,255"_s, u"200,30,90"_s, QString()});
    if (value.isEmpty())
        return std::nullopt;
    const QStringList parts = value.split(u',');
    if (parts.size() != 3)
        return std::nullopt;
    return RgbColor{parts.at(0).toInt(), parts.at(1).toInt(), parts.at(2).toInt()};
}

} // namespace tovin::test::monkey
