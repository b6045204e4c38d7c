#include "core/storage/PostgresSql.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace tovin::PostgresSql {

namespace {

bool isWordStart(QChar c) {
    return c.isLetter() || c == u'_';
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// Reads the statement's words (outside quotes and comments) as it is rewritten, to find the
// table a write names.
class WriteTarget {
public:
    void word(const QString& lowered, bool quoted) {
        if (m_done)
            return;
        const QString keyword = quoted ? QString() : lowered;
        if (m_words++ == 0) {
            if (keyword == u"insert"_s)
                m_before = u"into"_s;
            else if (keyword == u"update"_s)
                m_before.clear(), m_wantTable = true;
            else if (keyword == u"delete"_s)
                m_before = u"from"_s;
            else
                m_done = true;
            m_isWrite = !m_done;
            return;
        }
        if (!m_wantTable) {
            if (keyword == m_before)
                m_wantTable = true;
            return;
        }
        // "UPDATE OR ...", "INSERT OR ..." and "ONLY" come before the name in some spellings.
        if (keyword == u"or"_s || keyword == u"only"_s) {
            m_skipNext = keyword == u"or"_s;
            return;
        }
        if (m_skipNext) {
            m_skipNext = false;
            if (!m_before.isEmpty())
                m_wantTable = false;
            return;
        }
        m_table = lowered;
        m_done = true;
    }
    QString table() const { return m_isWrite ? m_table : QString(); }

private:
    int m_words = 0;
    bool m_done = false;
    bool m_isWrite = false;
    bool m_wantTable = false;
    bool m_skipNext = false;
    QString m_before;
    QString m_table;
};

} // namespace

Translated translate(const QString& sql) {
    Translated result;
    QString out;
    out.reserve(sql.size() + 16);
    WriteTarget target;
    QString lastWord;
    int highest = 0;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto at = [&](qsizetype k) { return k < n ? sql.at(k) : QChar(); };
    while (i < n) {
        const QChar c = sql.at(i);
        if (c == u'\'') {
            // A string: copied as it is, '' standing for one quote.
            qsizetype j = i + 1;
            while (j < n && !(sql.at(j) == u'\'' && at(j + 1) != u'\''))
                j += sql.at(j) == u'\'' ? 2 : 1;
            out += QStringView(sql).mid(i, j + 1 - i);
            i = j + 1;
            lastWord.clear();
        } else if (c == u'"') {
            qsizetype j = i + 1;
            QString name;
            while (j < n && !(sql.at(j) == u'"' && at(j + 1) != u'"')) {
                name += sql.at(j);
                j += sql.at(j) == u'"' ? 2 : 1;
            }
            // A collation is named as the server knows it ("C"), not as a catalogue's name.
            const bool collation = lastWord == u"collate"_s;
            const QString lowered = collation ? name : name.toLower();
            out += u'"' + QString(lowered).replace(u'"', u"\"\""_s) + u'"';
            if (!collation)
                result.spellings.insert(name.toLower(), name);
            target.word(lowered, true);
            lastWord.clear();
            i = j + 1;
        } else if (c == u'-' && at(i + 1) == u'-') {
            qsizetype j = i;
            while (j < n && sql.at(j) != u'\n')
                ++j;
            out += QStringView(sql).mid(i, j - i);
            i = j;
        } else if (c == u'/' && at(i + 1) == u'*') {
            const qsizetype end = sql.indexOf(u"*/"_s, i + 2);
            const qsizetype j = end < 0 ? n : end + 2;
            out += QStringView(sql).mid(i, j - i);
            i = j;
        } else if (c == u'$' && (at(i + 1) == u'$' || isWordStart(at(i + 1)))) {
            // A dollar-quoted body ($$ ... $$ or $tag$ ... $tag$), as a function's is written.
            qsizetype j = i + 1;
            while (j < n && isWordChar(sql.at(j)) && sql.at(j) != u'$')
                ++j;
            if (at(j) != u'$') {
                out += c;
                ++i;
                continue;
            }
            const QString tag = sql.mid(i, j + 1 - i);
            const qsizetype end = sql.indexOf(tag, j + 1);
            const qsizetype stop = end < 0 ? n : end + tag.size();
            out += QStringView(sql).mid(i, stop - i);
            i = stop;
        } else if (c == u'?') {
            qsizetype j = i + 1;
            while (j < n && sql.at(j).isDigit())
                ++j;
            const int number = j > i + 1 ? sql.mid(i + 1, j - i - 1).toInt() : highest + 1;
            highest = qMax(highest, number);
            out += u'$' + QString::number(number);
            i = j;
        } else if ((c == u':' || c == u'@') && isWordStart(at(i + 1)) &&
                   !(c == u':' && i > 0 && sql.at(i - 1) == u':')) {
            qsizetype j = i + 1;
            while (j < n && isWordChar(sql.at(j)) && sql.at(j) != u'$')
                ++j;
            const QString name = sql.mid(i, j - i);
            int number = result.names.value(name);
            if (number == 0) {
                number = highest + 1;
                result.names.insert(name, number);
            }
            highest = qMax(highest, number);
            out += u'$' + QString::number(number);
            i = j;
        } else if (c == u':' && at(i + 1) == u':') {
            out += u"::"_s;
            i += 2;
        } else if (isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && isWordChar(sql.at(j)))
                ++j;
            const QString word = sql.mid(i, j - i);
            lastWord = word.toLower();
            result.spellings.insert(lastWord, word);
            target.word(lastWord, false);
            if (lastWord == u"returning"_s)
                result.returns = true;
            out += word;
            i = j;
        } else {
            if (!c.isSpace() && c != u'(')
                lastWord.clear();
            out += c;
            ++i;
        }
    }
    result.text = out.toUtf8();
    result.parameterCount = highest;
    result.writtenTable = target.table();
    return result;
}

} // namespace tovin::PostgresSql
