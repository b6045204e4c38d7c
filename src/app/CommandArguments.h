#pragma once

#include <QCommandLineParser>
#include <QHash>
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

// The arguments of a batch command: its options declared once ("--name VALUE", "--name=VALUE"
// and bare flags), read with QCommandLineParser. A wrong argument is refused in the command's
// own words; the first wrong one, in the order given, is the one named.
class CommandArguments {
public:
    // How the command words a refusal. "%1" is the argument as given (unknown), or the option
    // (a missing or unwanted value); an empty text refuses the argument as unknown instead.
    struct Words {
        QString unknown;
        QString needsValue;
        QString takesNoValue;
    };
    static Words defaultWords();

    explicit CommandArguments(Words words = defaultWords());

    // Declares "--name VALUE"; given several times, every value is kept in order.
    CommandArguments& option(const QString& name, const QString& valueName);
    // Declares the flag "--name".
    CommandArguments& flag(const QString& name);
    // The command takes arguments that are not options (file names, a report's name).
    CommandArguments& withPositionals();
    // Declares "--wait SECONDS": how long the command's writes wait while another program
    // writes the catalogue. parse() checks the value and makes it the wait of the catalogues
    // opened afterwards.
    CommandArguments& withWait();
    // The lines the help text of a command with --wait gives it.
    static QString waitHelp();

    // Reads the arguments, or refuses.
    void parse(const QStringList& arguments);

    bool isSet(const QString& name) const { return m_parser.isSet(name); }
    // The last value given, or an empty text.
    QString value(const QString& name) const { return m_parser.value(name); }
    QStringList values(const QString& name) const { return m_parser.values(name); }
    QStringList positionals() const { return m_parser.positionalArguments(); }

private:
    std::optional<QString> firstRefusal(const QStringList& arguments) const;
    void applyWait() const;

    Words m_words;
    QCommandLineParser m_parser;
    QHash<QString, bool> m_takesValue;
    bool m_positionals = false;
};

// Opens an existing catalogue with a Products table, or refuses.
std::unique_ptr<CatalogueDatabase> openCommandCatalogue(const QString& path);

// The divider words of the command line: comma, tab, spaces (two), bracket ("]"), or the text.
QString dividerFromWord(const QString& word);

} // namespace tovin
