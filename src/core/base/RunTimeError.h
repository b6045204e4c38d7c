#pragma once

#include <QString>
#include <exception>

namespace tovin {

// Error numbers that the program's handlers test or that users meet in messages.
namespace ErrorNumber {
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int FileAlreadyOpen = 55;
inline constexpr int PathFileAccessError = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int ObjectRequired = 424;
inline constexpr int WrongArguments = 3001; // a filter, find or where text that cannot be used
inline constexpr int NoCurrentRecord = 3021;
inline constexpr int ItemNotFound = 3265; // a column name the table does not have
inline constexpr int OperationNotAllowed = 3219;
inline constexpr int DatabaseRefused = 3146; // the database file refused a statement
inline constexpr int CannotOpenDatabase = 3049;
} // namespace ErrorNumber

// A run-time error: every failing step of the program raises one of these. Handlers run their
// steps under a StepGuard, which reports or ignores it and goes on with the next step.
class RunTimeError : public std::exception {
public:
    RunTimeError(int number, QString description)
        : m_number(number), m_description(std::move(description)),
          m_what(m_description.toLocal8Bit()) {}

    int number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

} // namespace tovin
