#pragma once

#include "core/base/RunTimeError.h"

#include <QString>

namespace tovin {

// An error of the catalogue file itself rather than of one value or row: the file is read-only,
// the disk is full, the disk reports an error, another program keeps the file locked, the file
// is damaged. Work over many rows stops on it (keeping the batches already written) instead of
// passing the row over, since every further row would fail the same way.
class CatalogueFailure : public RunTimeError {
public:
    using RunTimeError::RunTimeError;
};

// A statement the database refused for the values it was given (a rule of a column, a
// duplicate key, a trigger): the error names the statement, databaseMessage() is what the
// database said about the values.
class StatementRefused : public RunTimeError {
public:
    StatementRefused(const QString& what, QString databaseMessage)
        : RunTimeError(ErrorNumber::DatabaseRefused, what + QStringLiteral(": ") + databaseMessage),
          m_databaseMessage(std::move(databaseMessage)) {}
    const QString& databaseMessage() const { return m_databaseMessage; }

private:
    QString m_databaseMessage;
};

namespace DatabaseErrors {

// True for the database result codes that mean the file itself cannot be used.
bool isCatalogueFailure(int resultCode);
// What such a failure means for the user, in plain words.
QString plainWords(int resultCode);
// Raises the error for something the database refused with `resultCode`: a CatalogueFailure
// worded plainly for a failure of the file, a StatementRefused (error 3146) naming `what` and
// the database's message otherwise.
[[noreturn]] void raise(int resultCode, const QString& what, const QString& databaseMessage);

} // namespace DatabaseErrors

} // namespace tovin
