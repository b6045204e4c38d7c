#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// A password written in a catalogue's address on the command line: every user of the computer
// could read it in the list of running programs, so it is blanked out of the arguments at once
// and the command is refused with the ways that keep it private.
namespace tovin::ArgumentPasswords {

// Overwrites with "*", in the arguments as the system shows them, every password of a
// catalogue address: in the user part or "password=" of a "postgresql://" address anywhere,
// and "password=" of a "keyword=value" address given to --db, --from or --to. True when there
// was one. Meant for main() before anything else runs.
bool blank(int argc, char** argv);

// Why a command with these arguments is refused: an address among them carries a password
// (even one blanked already). The words quote no part of it.
std::optional<QString> refusal(const QStringList& arguments);

// The first server address among the arguments (the value of --db, --from or --to, or an
// argument that is one); nothing when there is none.
std::optional<QString> serverLocation(const QStringList& arguments);

} // namespace tovin::ArgumentPasswords
