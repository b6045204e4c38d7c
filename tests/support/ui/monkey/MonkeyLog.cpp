#include "support/ui/monkey/MonkeyLog.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test::monkey {

QString escapeField(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\')
            out += u"\\\\"_s;
        else if (c == u'\t')
            out += u"\\t"_s;
        else if (c == u'\n')
            out += u"\\n"_s;
        else if (c == u'\r')
            out += u"\\r"_s;
        else
            out += c;
    }
    return out;
}

QString unescapeField(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar next = text.at(++i);
        out += next == u't'   ? QChar(u'\t')
               : next == u'n' ? QChar(u'\n')
               : next == u'r' ? QChar(u'\r')
                              : next;
    }
    return out;
}

namespace {
const QString StepWord = u"step"_s;
const QString PromptWord = u"prompt"_s;
} // namespace

QString toText(const LogLine& line) {
    const QString kind = line.kind == LogLine::Kind::Step ? StepWord : PromptWord;
    return QStringList{kind, escapeField(line.target), escapeField(line.action),
                       escapeField(line.value)}
        .join(u'\t');
}

std::optional<LogLine> fromText(const QString& text) {
    if (text.isEmpty() || text.startsWith(u'#'))
        return std::nullopt;
    const QStringList fields = text.split(u'\t');
    if (fields.size() != 4)
        return std::nullopt;
    LogLine line;
    if (fields.at(0) == StepWord)
        line.kind = LogLine::Kind::Step;
    else if (fields.at(0) == PromptWord)
        line.kind = LogLine::Kind::Prompt;
    else
        return std::nullopt;
    line.target = unescapeField(fields.at(1));
    line.action = unescapeField(fields.at(2));
    line.value = unescapeField(fields.at(3));
    return line;
}

bool readReplay(const QString& path, Replay& replay) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString seedMark = u"# seed "_s;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString text = QString::fromUtf8(raw).remove(u'\r');
        if (text.startsWith(seedMark))
            replay.seed = text.mid(seedMark.size()).toULongLong();
        if (const auto line = fromText(text))
            replay.lines << *line;
    }
    return true;
}

ReplayWriter::ReplayWriter(const QString& path, quint64 seed) : m_path(path), m_file(path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_file.write("# Steps of a random run of the whole program; run again with\n"
                     "# tst_monkey --replay FILE\n");
        m_file.write(("# seed " + QByteArray::number(seed) + '\n'));
        m_file.flush();
    }
}

void ReplayWriter::add(const LogLine& line) {
    std::lock_guard lock(m_mutex);
    ++m_count;
    if (!m_file.isOpen())
        return;
    m_file.write(toText(line).toUtf8() + '\n');
    m_file.flush();
}

int ReplayWriter::count() const {
    std::lock_guard lock(m_mutex);
    return m_count;
}

void ReplayWriter::discard() {
    std::lock_guard lock(m_mutex);
    m_file.close();
    m_file.remove();
}

} // namespace tovin::test::monkey
