#pragma once

#include <QString>

namespace tovin {

// One lexical unit of a condition text.
struct ConditionToken {
    enum class Type {
        End,        // after the last token
        Name,       // [bracketed column name]; text is the name inside the brackets
        Word,       // a bare word: a column name or a keyword
        Number,     // 7, -1.5, 2e3; text as written
        String,     // 'quoted text'; text with '' already turned into '
        Date,       // #01/05/2026#; text between the hashes
        Operator,   // =, <>, <, >, <=, >=; text in that spelling (=< and => are normalised)
        LeftParen,  // (
        RightParen, // )
    };

    Type type = Type::End;
    QString text;
    qsizetype position = 0; // index of the token's first character in the condition text

    bool isWord(QStringView keyword) const {
        return type == Type::Word && text.compare(keyword, Qt::CaseInsensitive) == 0;
    }
};

} // namespace tovin
