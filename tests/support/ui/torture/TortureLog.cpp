#include "support/ui/torture/TortureLog.h"

#include "support/ui/monkey/MonkeyLog.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test::torture {

QString Entry::value(const QString& name, const QString& fallback) const {
    for (const auto& [key, text] : values)
        if (key == name)
            return text;
    return fallback;
}

int Entry::number(const QString& name, int fallback) const {
    bool ok = false;
    const int parsed = value(name).toInt(&ok);
    return ok ? parsed : fallback;
}

Entry& Entry::set(const QString& name, const QString& text) {
    for (auto& [key, old] : values)
        if (key == name) {
            old = text;
            return *this;
        }
    values.append({name, text});
    return *this;
}

// "kind<TAB>name=value<TAB>...", each value escaped as the monkey's lines are, so that typed
// texts with tabs and line breaks keep to one line.
QString toText(const Entry& entry) {
    QString text = entry.kind;
    for (const auto& [key, value] : entry.values)
        text += u'\t' + key + u'=' + monkey::escapeField(value);
    return text;
}

std::optional<Entry> entryFromText(const QString& text) {
    if (text.isEmpty() || text.startsWith(u'#'))
        return std::nullopt;
    const QStringList fields = text.split(u'\t');
    Entry entry;
    entry.kind = fields.first();
    for (qsizetype i = 1; i < fields.size(); ++i) {
        const qsizetype equals = fields.at(i).indexOf(u'=');
        if (equals < 0)
            return std::nullopt;
        entry.values.append(
            {fields.at(i).left(equals), monkey::unescapeField(fields.at(i).mid(equals + 1))});
    }
    return entry;
}

bool readLog(const QString& path, Log& log) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString seedMark = u"# seed "_s;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString text = QString::fromUtf8(raw).remove(u'\r');
        if (text.startsWith(seedMark))
            log.seed = text.mid(seedMark.size()).toULongLong();
        if (const auto entry = entryFromText(text))
            log.entries << *entry;
    }
    return true;
}

LogWriter::LogWriter(const QString& path, quint64 seed) : m_path(path), m_file(path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_file.write("# Actions of a torture run on one catalogue; run again with\n"
                     "# tst_torture --replay FILE\n");
        m_file.write("# seed " + QByteArray::number(seed) + '\n');
        m_file.flush();
    }
}

void LogWriter::add(const Entry& entry) {
    const QMutexLocker lock(&m_mutex);
    if (!m_file.isOpen())
        return;
    m_file.write(toText(entry).toUtf8() + '\n');
    m_file.flush();
}

void LogWriter::discard() {
    const QMutexLocker lock(&m_mutex);
    m_file.close();
    m_file.remove();
}

} // namespace tovin::test::torture
