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

// Rewrites one statement for the server, a piece at a time: each piece (a string, a quoted
// name, a comment, a parameter, a word) is copied or rewritten by a step of its own, and the
// words are watched for the table a write names.
class StatementRewriter {
public:
    explicit StatementRewriter(const QString& sql) : m_sql(sql), m_n(sql.size()) {
        m_out.reserve(sql.size() + 16);
    }

    Translated run() {
        while (m_i < m_n)
            rewriteNext();
        m_result.text = m_out.toUtf8();
        m_result.parameterCount = m_highest;
        m_result.writtenTable = m_target.table();
        return std::move(m_result);
    }

private:
    QChar at(qsizetype k) const { return k < m_n ? m_sql.at(k) : QChar(); }

    void rewriteNext() {
        const QChar c = m_sql.at(m_i);
        if (c == u'\'')
            copyString();
        else if (c == u'"')
            rewriteQuotedName();
        else if (c == u'-' && at(m_i + 1) == u'-')
            copyLineComment();
        else if (c == u'/' && at(m_i + 1) == u'*')
            copyBlockComment();
        else if (c == u'$' && (at(m_i + 1) == u'$' || isWordStart(at(m_i + 1))))
            copyDollarQuoted();
        else if (c == u'?')
            numberPositional();
        else if ((c == u':' || c == u'@') && isWordStart(at(m_i + 1)) &&
                 !(c == u':' && m_i > 0 && m_sql.at(m_i - 1) == u':'))
            numberNamed();
        else if (c == u':' && at(m_i + 1) == u':')
            copyUpTo(m_i + 2);
        else if (isWordStart(c))
            copyWord();
        else
            copyOther(c);
    }

    // Copies the text up to `end` as it is.
    void copyUpTo(qsizetype end) {
        m_out += QStringView(m_sql).mid(m_i, end - m_i);
        m_i = end;
    }

    // A string: copied as it is, '' standing for one quote.
    void copyString() {
        qsizetype j = m_i + 1;
        while (j < m_n && !(m_sql.at(j) == u'\'' && at(j + 1) != u'\''))
            j += m_sql.at(j) == u'\'' ? 2 : 1;
        copyUpTo(j + 1);
        m_lastWord.clear();
    }

    void rewriteQuotedName() {
        qsizetype j = m_i + 1;
        QString name;
        while (j < m_n && !(m_sql.at(j) == u'"' && at(j + 1) != u'"')) {
            name += m_sql.at(j);
            j += m_sql.at(j) == u'"' ? 2 : 1;
        }
        // A collation is named as the server knows it ("C"), not as a catalogue's name.
        const bool collation = m_lastWord == u"collate"_s;
        const QString lowered = collation ? name : name.toLower();
        m_out += u'"' + QString(lowered).replace(u'"', u"\"\""_s) + u'"';
        if (!collation)
            m_result.spellings.insert(name.toLower(), name);
        m_target.word(lowered, true);
        m_lastWord.clear();
        m_i = j + 1;
    }

    void copyLineComment() {
        qsizetype j = m_i;
        while (j < m_n && m_sql.at(j) != u'\n')
            ++j;
        copyUpTo(j);
    }

    void copyBlockComment() {
        const qsizetype end = m_sql.indexOf(u"*/"_s, m_i + 2);
        copyUpTo(end < 0 ? m_n : end + 2);
    }

    // A dollar-quoted body ($$ ... $$ or $tag$ ... $tag$), as a function's is written. A "$"
    // that opens none is copied alone.
    void copyDollarQuoted() {
        qsizetype j = m_i + 1;
        while (j < m_n && isWordChar(m_sql.at(j)) && m_sql.at(j) != u'$')
            ++j;
        if (at(j) != u'$') {
            m_out += m_sql.at(m_i);
            ++m_i;
            return;
        }
        const QString tag = m_sql.mid(m_i, j + 1 - m_i);
        const qsizetype end = m_sql.indexOf(tag, j + 1);
        copyUpTo(end < 0 ? m_n : end + tag.size());
    }

    // "?" takes the number after the highest so far; "?NNN" keeps its own.
    void numberPositional() {
        qsizetype j = m_i + 1;
        while (j < m_n && m_sql.at(j).isDigit())
            ++j;
        const int number = j > m_i + 1 ? m_sql.mid(m_i + 1, j - m_i - 1).toInt() : m_highest + 1;
        writeParameter(number, j);
    }

    // ":name" and "@name" take a number the first time they appear and keep it.
    void numberNamed() {
        qsizetype j = m_i + 1;
        while (j < m_n && isWordChar(m_sql.at(j)) && m_sql.at(j) != u'$')
            ++j;
        const QString name = m_sql.mid(m_i, j - m_i);
        int number = m_result.names.value(name);
        if (number == 0) {
            number = m_highest + 1;
            m_result.names.insert(name, number);
        }
        writeParameter(number, j);
    }

    void writeParameter(int number, qsizetype end) {
        m_highest = qMax(m_highest, number);
        m_out += u'$' + QString::number(number);
        m_i = end;
    }

    void copyWord() {
        qsizetype j = m_i + 1;
        while (j < m_n && isWordChar(m_sql.at(j)))
            ++j;
        const QString word = m_sql.mid(m_i, j - m_i);
        m_lastWord = word.toLower();
        m_result.spellings.insert(m_lastWord, word);
        m_target.word(m_lastWord, false);
        if (m_lastWord == u"returning"_s)
            m_result.returns = true;
        m_out += word;
        m_i = j;
    }

    // Punctuation and spaces; only a space or "(" keeps the last word in view (COLLATE "C").
    void copyOther(QChar c) {
        if (!c.isSpace() && c != u'(')
            m_lastWord.clear();
        m_out += c;
        ++m_i;
    }

    const QString& m_sql;
    const qsizetype m_n;
    qsizetype m_i = 0;
    QString m_out;
    Translated m_result;
    WriteTarget m_target;
    QString m_lastWord;
    int m_highest = 0;
};

} // namespace

Translated translate(const QString& sql) {
    return StatementRewriter(sql).run();
}

} // namespace tovin::PostgresSql
