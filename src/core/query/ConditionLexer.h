#pragma once

#include "core/query/ConditionToken.h"

#include <QList>
#include <QString>

namespace tovin {

// Splits a condition text into tokens. Blanks between tokens are optional and ignored.
class ConditionLexer {
public:
    // The tokens of `text`, always ending with one End token. Throws error 3001 for an
    // unterminated quote, bracket or date, an empty bracket, or a character that starts no token.
    static QList<ConditionToken> tokenize(const QString& text);
};

} // namespace tovin
