#include "core/settings/ArgumentPasswords.h"

#include "core/storage/CatalogueLocation.h"
#include "core/storage/PostgresAddress.h"

#include <cctype>
#include <cstring>
#include <string_view>

using namespace Qt::Literals::StringLiterals;

namespace tovin::ArgumentPasswords {

namespace {

// The options whose value is a catalogue's place.
constexpr std::string_view LocationOptions[] = {"--db", "--from", "--to"};

bool isLocationOption(std::string_view argument) {
    for (const std::string_view option : LocationOptions)
        if (argument == option)
            return true;
    return false;
}

// Where the value of "--db=VALUE" starts; 0 for an argument that is a value itself.
size_t valueStart(std::string_view argument) {
    for (const std::string_view option : LocationOptions)
        if (argument.size() > option.size() && argument.starts_with(option) &&
            argument[option.size()] == '=')
            return option.size() + 1;
    return 0;
}

bool startsWithNoCase(std::string_view text, std::string_view start) {
    if (text.size() < start.size())
        return false;
    for (size_t i = 0; i < start.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != start[i])
            return false;
    return true;
}

bool isUri(std::string_view text) {
    return startsWithNoCase(text, "postgresql://") || startsWithNoCase(text, "postgres://");
}

bool fill(char* from, char* to) {
    const bool any = to > from;
    std::memset(from, '*', size_t(to - from));
    return any;
}

// Every "password=VALUE" in the text whose keyword starts it or follows one of `before`; the
// value ends at one of `ends` (a value in quotes at its closing quote).
bool blankKeyword(char* text, std::string_view before, std::string_view ends) {
    bool any = false;
    const size_t length = std::strlen(text);
    for (size_t i = 0; i + 8 < length; ++i) {
        if (!(i == 0 || before.find(text[i - 1]) != std::string_view::npos) ||
            !startsWithNoCase(std::string_view(text + i, length - i), "password"))
            continue;
        size_t at = i + 8;
        while (at < length && text[at] == ' ')
            ++at;
        if (at >= length || text[at] != '=')
            continue;
        ++at;
        while (at < length && text[at] == ' ')
            ++at;
        size_t end = at;
        if (end < length && text[end] == '\'') {
            for (end = ++at; end < length && text[end] != '\''; ++end)
                if (text[end] == '\\' && end + 1 < length)
                    ++end;
        } else {
            while (end < length && ends.find(text[end]) == std::string_view::npos)
                ++end;
        }
        any = fill(text + at, text + end) || any;
        i = end;
    }
    return any;
}

// The user part runs to the last "@" with no "=" before it (as CatalogueLocation reads it); the
// password from its first ":".
bool blankUri(char* uri) {
    char* start = std::strstr(uri, "://") + 3;
    char* equals = std::strchr(start, '=');
    char* end = equals ? equals : start + std::strlen(start);
    char* at = nullptr;
    for (char* c = start; c < end; ++c)
        if (*c == '@')
            at = c;
    bool any = false;
    if (at)
        if (char* colon = static_cast<char*>(std::memchr(start, ':', size_t(at - start))))
            any = fill(colon + 1, at);
    if (char* query = std::strchr(at ? at : start, '?'))
        any = blankKeyword(query + 1, "&", "&") || any;
    return any;
}

} // namespace

bool blank(int argc, char** argv) {
    bool any = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        const size_t start = valueStart(argument);
        char* value = argv[i] + start;
        if (isUri(value))
            any = blankUri(value) || any;
        else if (start > 0 || isLocationOption(argv[i - 1]))
            any = blankKeyword(value, " \t\n", " \t\n") || any;
    }
    return any;
}

std::optional<QString> refusal(const QStringList& arguments) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        const size_t start = valueStart(argument.toStdString());
        const QString value = argument.mid(qsizetype(start));
        const bool location = CatalogueLocation::isServer(value) || start > 0 ||
                              (i > 0 && isLocationOption(arguments.at(i - 1).toStdString()));
        if (location && PostgresAddress::hasPassword(value))
            return u"a password written in the catalogue's address is refused: every user of "
                   u"this computer can read it in the list of running programs. Leave it out of "
                   u"the address and give it in the environment as PGPASSWORD, or keep it in "
                   u"~/.pgpass (readable by you alone, mode 0600) as "
                   u"host:port:database:user:password."_s;
    }
    return std::nullopt;
}

std::optional<QString> serverLocation(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        const QString value = argument.mid(qsizetype(valueStart(argument.toStdString())));
        if (CatalogueLocation::isServer(value))
            return value.trimmed();
    }
    return std::nullopt;
}

} // namespace tovin::ArgumentPasswords
