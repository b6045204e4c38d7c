#include "core/query/ConditionLexer.h"

#include "core/query/ConditionError.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isWordStart(QChar c) {
    return c.isLetter() || c == u'_';
}

bool isWordPart(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

class Scanner {
public:
    explicit Scanner(const QString& text) : m_text(text) {}

    QList<ConditionToken> run() {
        QList<ConditionToken> tokens;
        for (;;) {
            while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
                ++m_pos;
            if (m_pos >= m_text.size())
                break;
            tokens.append(next());
        }
        tokens.append({ConditionToken::Type::End, QString(), m_text.size()});
        return tokens;
    }

private:
    QChar at(qsizetype i) const { return i < m_text.size() ? m_text.at(i) : QChar(); }

    ConditionToken next() {
        const qsizetype start = m_pos;
        const QChar c = m_text.at(m_pos);
        if (c == u'[')
            return delimited(u']', ConditionToken::Type::Name, u"bracket"_s);
        if (c == u'#')
            return delimited(u'#', ConditionToken::Type::Date, u"date"_s);
        if (c == u'\'')
            return quoted();
        if (c == u'(' || c == u')') {
            ++m_pos;
            return {c == u'(' ? ConditionToken::Type::LeftParen : ConditionToken::Type::RightParen,
                    QString(c), start};
        }
        if (c == u'<' || c == u'>' || c == u'=')
            return comparisonOperator();
        if (startsNumber())
            return number();
        if (isWordStart(c)) {
            while (m_pos < m_text.size() && isWordPart(m_text.at(m_pos)))
                ++m_pos;
            return {ConditionToken::Type::Word, m_text.mid(start, m_pos - start), start};
        }
        throwConditionError(u"unexpected character '%1'"_s.arg(c), start);
    }

    // [name] and #date#: everything up to the closing character, blanks around trimmed.
    ConditionToken delimited(QChar close, ConditionToken::Type type, const QString& what) {
        const qsizetype start = m_pos;
        const qsizetype end = m_text.indexOf(close, start + 1);
        if (end < 0)
            throwConditionError(u"unclosed "_s + what, start);
        const QString inner = m_text.mid(start + 1, end - start - 1).trimmed();
        if (inner.isEmpty())
            throwConditionError(u"empty "_s + what, start);
        m_pos = end + 1;
        return {type, inner, start};
    }

    ConditionToken quoted() {
        const qsizetype start = m_pos;
        QString value;
        qsizetype i = start + 1;
        for (;;) {
            const qsizetype close = m_text.indexOf(u'\'', i);
            if (close < 0)
                throwConditionError(u"unclosed quote"_s, start);
            value.append(QStringView(m_text).mid(i, close - i));
            if (at(close + 1) == u'\'') {
                value.append(u'\'');
                i = close + 2;
                continue;
            }
            m_pos = close + 1;
            return {ConditionToken::Type::String, value, start};
        }
    }

    ConditionToken comparisonOperator() {
        const qsizetype start = m_pos;
        const QChar first = m_text.at(m_pos);
        const QChar second = at(m_pos + 1);
        QString op;
        if (first == u'<' && (second == u'>' || second == u'='))
            op = QString(first) + second;
        else if (first == u'>' && second == u'=')
            op = u">="_s;
        else if (first == u'=' && second == u'<')
            op = u"<="_s;
        else if (first == u'=' && second == u'>')
            op = u">="_s;
        else
            op = QString(first);
        m_pos += op.size();
        return {ConditionToken::Type::Operator, op, start};
    }

    bool startsNumber() const {
        qsizetype i = m_pos;
        if (at(i) == u'-' || at(i) == u'+')
            ++i;
        if (at(i) == u'.')
            ++i;
        return isAsciiDigit(at(i));
    }

    // An optional sign, digits with an optional decimal part, an optional exponent. A number
    // that runs straight into a letter ("7abc") is not a number.
    ConditionToken number() {
        const qsizetype start = m_pos;
        if (at(m_pos) == u'-' || at(m_pos) == u'+')
            ++m_pos;
        while (isAsciiDigit(at(m_pos)))
            ++m_pos;
        if (at(m_pos) == u'.') {
            ++m_pos;
            while (isAsciiDigit(at(m_pos)))
                ++m_pos;
        }
        if (at(m_pos) == u'e' || at(m_pos) == u'E') {
            qsizetype i = m_pos + 1;
            if (at(i) == u'-' || at(i) == u'+')
                ++i;
            if (isAsciiDigit(at(i))) {
                while (isAsciiDigit(at(i)))
                    ++i;
                m_pos = i;
            }
        }
        if (isWordPart(at(m_pos)) || at(m_pos) == u'.')
            throwConditionError(u"malformed number"_s, start);
        return {ConditionToken::Type::Number, m_text.mid(start, m_pos - start), start};
    }

    const QString& m_text;
    qsizetype m_pos = 0;
};

} // namespace

QList<ConditionToken> ConditionLexer::tokenize(const QString& text) {
    return Scanner(text).run();
}

} // namespace tovin
