#include "app/CommandArguments.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/storage/CatalogueLocation.h"
#include "core/storage/WriterTurn.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

CommandArguments::Words CommandArguments::defaultWords() {
    return {u"unknown argument \"%1\""_s, u"%1 needs a value"_s, u"%1 takes no value"_s};
}

CommandArguments::CommandArguments(Words words) : m_words(std::move(words)) {
    // Options are long only: "-x" is nobody's option, and the program's help text is the
    // command's own, so the parser adds neither --help nor --version.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    m_parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
}

CommandArguments& CommandArguments::option(const QString& name, const QString& valueName) {
    m_parser.addOption(QCommandLineOption(name, QString(), valueName));
    m_takesValue.insert(name, true);
    return *this;
}

CommandArguments& CommandArguments::flag(const QString& name) {
    m_parser.addOption(QCommandLineOption(name));
    m_takesValue.insert(name, false);
    return *this;
}

CommandArguments& CommandArguments::withPositionals() {
    m_positionals = true;
    return *this;
}

CommandArguments& CommandArguments::withWait() {
    return option(u"wait"_s, u"SECONDS"_s);
}

QString CommandArguments::waitHelp() {
    return u"  --wait SECONDS       while another program or computer writes the catalogue,\n"
           u"                       wait up to SECONDS for it (default %1; 0: do not wait),\n"
           u"                       told once per wait on the error output; when the wait\n"
           u"                       runs out the command stops with exit status 2\n"_s.arg(
               WriterTurn::DefaultWaitSeconds);
}

void CommandArguments::parse(const QStringList& arguments) {
    // The parser takes the first argument for the program's name.
    const bool parsed = m_parser.parse(QStringList{u"tovin-catalog"_s} + arguments);
    if (parsed && (m_positionals || m_parser.positionalArguments().isEmpty()) &&
        !arguments.contains(u"--"_s)) {
        applyWait();
        return;
    }
    // The parser tells what went wrong in its own words and not in argument order; the
    // arguments are walked again to name the first wrong one as the command does.
    if (const std::optional<QString> refusal = firstRefusal(arguments))
        throw CommandRefusal{*refusal};
    if (!parsed)
        throw CommandRefusal{m_parser.errorText()};
}

// Every value given is checked; the last one counts.
void CommandArguments::applyWait() const {
    if (!m_takesValue.contains(u"wait"_s))
        return;
    for (const QString& value : m_parser.values(u"wait"_s)) {
        const std::optional<int> milliseconds = WriterTurn::readSeconds(value);
        if (!milliseconds)
            throw CommandRefusal{u"--wait takes a number of seconds, 0 or more (at most a "_s
                                 u"day), not \""_s +
                                 value + u"\""_s};
        WriterTurn::setLimitMs(*milliseconds);
    }
}

std::optional<QString> CommandArguments::firstRefusal(const QStringList& arguments) const {
    const auto unknown = [this](const QString& argument) { return m_words.unknown.arg(argument); };
    const auto worded = [&](const QString& words, const QString& option, const QString& argument) {
        return words.isEmpty() ? unknown(argument) : words.arg(option);
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == u"--"_s) {
            if (m_positionals)
                return std::nullopt; // the rest are not options
            return unknown(argument);
        }
        if (argument.startsWith(u"--"_s)) {
            const qsizetype eq = argument.indexOf(u'=');
            const QString option = eq > 0 ? argument.left(eq) : argument;
            const auto known = m_takesValue.constFind(option.mid(2));
            if (known == m_takesValue.cend())
                return unknown(argument);
            if (*known && eq < 0 && ++i >= arguments.size())
                return worded(m_words.needsValue, option, argument);
            if (!*known && eq > 0)
                return worded(m_words.takesNoValue, option, argument);
        } else if ((argument.startsWith(u'-') && argument.size() > 1) || !m_positionals) {
            return unknown(argument);
        }
    }
    return std::nullopt;
}

std::unique_ptr<CatalogueDatabase> openCommandCatalogue(const QString& path) {
    if (path.isEmpty())
        throw CommandRefusal{u"--db CATALOGUE is required"_s};
    if (CatalogueLocation::isMissingFile(path))
        throw CommandRefusal{u"the catalogue "_s + path + u" does not exist"_s};
    try {
        auto db = std::make_unique<CatalogueDatabase>(path);
        if (!db->hasTable(u"Products"_s))
            throw CommandRefusal{path + u" has no Products table"_s};
        return db;
    } catch (const RunTimeError& error) {
        throw CommandRefusal{error.description()};
    }
}

QString dividerFromWord(const QString& word) {
    const QString lower = word.toLower();
    if (lower == u"comma"_s)
        return u","_s;
    if (lower == u"tab"_s)
        return u"\t"_s;
    if (lower == u"spaces"_s)
        return u"  "_s;
    if (lower == u"bracket"_s)
        return u"]"_s;
    return word;
}

} // namespace tovin
