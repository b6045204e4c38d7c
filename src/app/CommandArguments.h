#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace tovin {

class CatalogueDatabase;

// A refusal found while checking a command's arguments or inputs: its message; nothing was
// written, and the command ends with exit status 2.
struct CommandRefusal {
    QString message;
};

// Walks the arguments of a batch command: "--name VALUE", "--name=VALUE" and bare flags.
class CommandArguments {
public:
    explicit CommandArguments(QStringList arguments) : m_arguments(std::move(arguments)) {}

    // Moves to the next option; false at the end.
    bool next();
    const QString& option() const { return m_option; }
    // The value of the current option; refuses an option without one.
    QString value();
    // Refuses a value given to a flag.
    bool flag();
    // Refuses the current option as unknown.
    [[noreturn]] void unknown() const;

private:
    QStringList m_arguments;
    qsizetype m_index = -1;
    QString m_option;
    std::optional<QString> m_inline;
};

// Opens an existing catalogue with a Products table, or refuses.
std::unique_ptr<CatalogueDatabase> openCommandCatalogue(const QString& path);

// The divider words of the command line: comma, tab, spaces (two), bracket ("]"), or the text.
QString dividerFromWord(const QString& word);

} // namespace tovin
