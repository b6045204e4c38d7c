#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace tovin::PostgresSql {

// The program's statements are written for the file's engine: parameters spelled "?", "?NNN"
// and ":name", and names compared without regard to case whether quoted or not. The server
// numbers its parameters "$N" and takes quoted names exactly as written, so a statement is
// rewritten once, when prepared. The catalogue's names are kept on the server in lower case,
// which is what the server makes of an unquoted name, so a quoted name is lowered as well.
struct Translated {
    QByteArray text;
    // The highest parameter number the statement uses.
    int parameterCount = 0;
    // Named parameters (with their ":" or "@") and the number each was given.
    QHash<QString, int> names;
    // Each name the statement spells, by its lower-case form, as the statement spells it: the
    // server hands column names back lowered.
    QHash<QString, QString> spellings;
    // For an INSERT, UPDATE or DELETE: the table it writes (lower case), and whether the
    // statement already says RETURNING.
    QString writtenTable;
    bool returns = false;
};

Translated translate(const QString& sql);

} // namespace tovin::PostgresSql
