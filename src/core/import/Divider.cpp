#include "core/import/Divider.h"

#include "core/text/NumberText.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

Divider::Divider(QString text) : m_text(std::move(text)) {
    if (m_text == u","_s)
        m_kind = Kind::Comma;
    else if (m_text == u"\t"_s)
        m_kind = Kind::Tab;
    else if (m_text == u"  "_s)
        m_kind = Kind::TwoSpaces;
    else if (m_text == u"]"_s)
        m_kind = Kind::Bracket;
    else
        m_kind = Kind::Other;
    m_quotes = m_kind == Kind::Comma;
}

Divider Divider::withQuotes(bool quotes) const {
    Divider divider = *this;
    divider.m_quotes = quotes;
    return divider;
}

Divider::Divider() : Divider(u","_s) {}

Divider Divider::comma() {
    return Divider(u","_s);
}

Divider Divider::tab() {
    return Divider(u"\t"_s);
}

Divider Divider::twoSpaces() {
    return Divider(u"  "_s);
}

Divider Divider::bracket() {
    return Divider(u"]"_s);
}

Divider Divider::separateLines(int linesPerItem) {
    Divider divider{QString()};
    divider.m_kind = Kind::SeparateLines;
    divider.m_linesPerItem = qMax(linesPerItem, 1);
    return divider;
}

bool Divider::fits(QStringView line) const {
    return isSeparateLines() || line.contains(m_text);
}

bool Divider::occursTwice(QStringView line, QStringView divider) {
    if (divider.isEmpty())
        return false;
    const qsizetype first = line.indexOf(divider);
    return first >= 0 && line.indexOf(divider, first + 1) >= 0;
}

std::optional<Divider> Divider::propose(QStringView startLine) {
    const QList<Divider> found = candidates(startLine);
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

QList<Divider> Divider::candidates(QStringView startLine) {
    QList<Divider> found;
    for (const Divider& candidate : {comma(), tab(), twoSpaces(), bracket()})
        if (occursTwice(startLine, candidate.text()))
            found.append(candidate);
    return found;
}

std::optional<Divider> Divider::fromTypedText(const QString& typed) {
    if (typed.isEmpty() || typed.size() > 2)
        return std::nullopt;
    for (const QChar c : typed)
        if (c == u'"' || c == u'\r' || c == u'\n')
            return std::nullopt;
    return Divider(typed);
}

std::optional<int> Divider::linesPerItemFromAnswer(const QString& answer) {
    if (!TextRules::IsNumeric(answer))
        return std::nullopt;
    return TextRules::CInt(answer);
}

} // namespace tovin
