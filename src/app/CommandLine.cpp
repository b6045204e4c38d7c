#include "app/CommandLine.h"

#include "app/CommandProgress.h"
#include "core/backup/CatalogueBackup.h"
#include "core/catalogue/CatalogueFile.h"
#include "core/catalogue/SchemaUpgrade.h"
#include "core/catalogue/ServerSignIn.h"
#include "core/convert/AccessTableSource.h"
#include "core/files/ProgramFolder.h"
#include "core/settings/ArgumentPasswords.h"
#include "core/settings/KeyringPasswordStore.h"
#include "core/settings/SettingsStore.h"
#include "core/storage/WriterTurn.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {
std::optional<QString> applyProgramOption(const QString& option, const QString& value,
                                          StartOptions& start);
} // namespace

QString programHelp() {
    QString text = u"Usage: tovin-catalog [--app-folder DIR] [--settings FILE] [CATALOGUE]\n"
                   u"       tovin-catalog [--settings FILE] [--quiet] COMMAND [ARGUMENTS]\n\n"
                   u"Without a command the catalogue program opens its window on CATALOGUE, or\n"
                   u"on the catalogue it used last (by default tovin2003-a.mde in the program\n"
                   u"folder).\n\n"
                   u"Options:\n"
                   u"  --app-folder DIR  use DIR as the program folder instead of the folder of\n"
                   u"                    the executable\n"
                   u"  --settings FILE   keep the window and screen settings in FILE instead of\n"
                   u"                    ~/.config/tovin-catalog/tovin-catalog.conf (also\n"
                   u"                    TOVIN_SETTINGS_FILE)\n"
                   u"  -q, --quiet       print nothing when the command succeeds (its output is\n"
                   u"                    shown when it fails; errors always go to the error\n"
                   u"                    output)\n"
                   u"  --help            show this text\n"
                   u"  --version         show the program's version\n\n"
                   u"--settings and --quiet may also follow the command. Progress lines are\n"
                   u"printed only when the output is a terminal; in a pipe or a file a command\n"
                   u"prints its closing totals.\n\n"
                   u"Commands:\n"_s;
    for (const BatchCommand& command : batchCommands())
        text += u"  %1%2\n"_s.arg(command.name.leftJustified(10), command.summary);
    text += u"\nRun \"tovin-catalog COMMAND --help\" for the arguments of a command.\n"_s;
    return text;
}

namespace {
// Applies one program option with its value; the refusal of a wrong value, or nothing.
std::optional<QString> applyProgramOption(const QString& option, const QString& value,
                                          StartOptions& start) {
    if (option == u"--app-folder"_s) {
        ProgramFolder::setOverride(value);
    } else if (option == u"--settings"_s) {
        SettingsStore::setProgramFile(value);
    } else if (option == u"--open-screen"_s) {
        start.openScreen = value;
    } else if (option == u"--screenshot"_s) {
        start.screenshotFile = value;
    } else if (option == u"--web-address"_s) {
        start.webAddress = value;
    } else if (option == u"--act"_s) {
        start.actions << value;
    } else if (option == u"--answer"_s) {
        start.answers << value;
    } else if (option == u"--preview"_s) {
        // "large": the Products screen opens with its large preview.
        start.largePreview = value == u"large"_s;
    } else {
        bool ok = false;
        start.quitAfterMs = value.toInt(&ok);
        if (!ok || start.quitAfterMs < 0)
            return option + u" needs a number of milliseconds"_s;
    }
    return std::nullopt;
}
} // namespace

bool isProgramOption(const QString& option) {
    // --open-screen, --screenshot, --quit-after-ms, --preview, --web-address, --act and --answer
    // are left out of the help on purpose: they serve scripts/screenshot.sh.
    return option == u"--app-folder"_s || option == u"--settings"_s ||
           option == u"--open-screen"_s || option == u"--screenshot"_s ||
           option == u"--quit-after-ms"_s || option == u"--preview"_s ||
           option == u"--web-address"_s || option == u"--act"_s || option == u"--answer"_s;
}

namespace {

// A program option found among a command's own arguments, or after the catalogue the window is
// to open: --quiet and --settings FILE hold for the whole run wherever they stand. Everything
// after "--" belongs to the command.
std::optional<QString> takeProgramSwitches(QStringList& words, bool& quiet) {
    for (qsizetype i = 0; i < words.size();) {
        const QString& word = words.at(i);
        if (word == u"--"_s)
            break;
        if (isProgramFlag(word)) {
            quiet = true;
            words.removeAt(i);
        } else if (word == u"--settings"_s) {
            if (i + 1 >= words.size())
                return u"--settings needs a value"_s;
            SettingsStore::setProgramFile(words.at(i + 1));
            words.remove(i, 2);
        } else {
            ++i;
        }
    }
    return std::nullopt;
}

// The catalogue file named alone on the command line becomes the one the window opens, after
// the checks File > Open Database makes; a file that is no catalogue is refused in its words.
int chooseWindowCatalogue(const QString& file, QTextStream& err) {
    const QString path = QFileInfo(file).absoluteFilePath();
    if (AccessTableSource::looksLikeAccessFile(path)) {
        err << "tovin-catalog: " << path
            << " is an Access file: turn it into a catalogue with tovin-catalog convert, or "
               "open it with File > Open Database\n";
        return ExitFailure;
    }
    if (const std::optional<QString> reason = CatalogueFile::refusal(path)) {
        err << "tovin-catalog: " << *reason << '\n';
        return ExitFailure;
    }
    // The window opens the catalogue it keeps in its settings, as it does after Open Database.
    SettingsStore& settings = SettingsStore::program();
    settings.setValue(u"Settings"_s, u"DBName"_s, path);
    settings.sync();
    return -1;
}

// Runs one batch command. With --quiet its output is held back and shown only when it fails,
// so a nightly job that succeeds prints nothing.
int runBatch(const BatchCommand& command, const QStringList& commandArguments, bool quiet,
             QTextStream& out, QTextStream& err) {
    if (const auto refused = ArgumentPasswords::refusal(commandArguments)) {
        err << "tovin-catalog: " << *refused << "\n";
        return ExitFailure;
    }
    // Run from the desktop, a command signs in to a server as the window does, with the
    // password kept in the keyring; a job without a session bus has no keyring.
    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        if (const auto server = ArgumentPasswords::serverLocation(commandArguments)) {
            KeyringPasswordStore keyring;
            ServerSignIn::useKeptPassword(*server, keyring);
        }
    // An older catalogue's layout is brought up to date only after a copy of it was
    // kept; a copy that fails is told, and the command goes on.
    SchemaUpgrade::setBeforeUpgrade([&err](const QString& path) {
        if (const auto failure = CatalogueBackup::takeDaily(path, false))
            err << "tovin-catalog: " << *failure << "\n";
    });
    // A batch command waits for another writer as long as its --wait says, by default
    // five minutes, whatever the window's setting; each wait is told once.
    WriterTurn::setLimitMs(WriterTurn::DefaultWaitSeconds * 1000);
    WriterTurn::setWatcher([&err, name = command.name](int limitMs) {
        err << "tovin-catalog " << name << ": " << WriterTurn::waitingText(limitMs) << '\n';
        err.flush();
    });
    if (quiet)
        CommandProgress::setShown(false);
    QString held;
    QTextStream heldOut(&held);
    const int status = command.run(commandArguments, quiet ? heldOut : out, err);
    if (quiet && status != ExitOk) {
        heldOut.flush();
        out << held;
    }
    WriterTurn::setWatcher({});
    SchemaUpgrade::setBeforeUpgrade({});
    return status;
}

const BatchCommand* findCommand(const QString& name) {
    for (const BatchCommand& command : batchCommands())
        if (command.name == name)
            return &command;
    return nullptr;
}

} // namespace

bool isProgramFlag(const QString& option) {
    return option == u"--quiet"_s || option == u"-q"_s;
}

QString firstWord(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (isProgramOption(arguments.at(i)))
            ++i;
        else if (!isProgramFlag(arguments.at(i)))
            return arguments.at(i);
    }
    return QString();
}

bool opensWindow(const QStringList& arguments) {
    const QString word = firstWord(arguments);
    if (word.isEmpty())
        return true;
    return !word.startsWith(u'-') && !findCommand(word) && QFileInfo(word).isFile();
}

int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err,
                   StartOptions* window) {
    StartOptions unused;
    StartOptions& start = window ? *window : unused;
    QStringList rest = arguments.mid(1);
    bool quiet = false;
    // Options that apply to the program as a whole come first.
    while (!rest.isEmpty()) {
        const QString option = rest.first();
        if (option == u"--help"_s || option == u"-h"_s || option == u"help"_s) {
            out << programHelp();
            return ExitOk;
        }
        if (option == u"--version"_s) {
            out << "tovin-catalog (Tovin's Catalog) " << TOVIN_VERSION << '\n';
            return ExitOk;
        }
        if (isProgramFlag(option)) {
            quiet = true;
            rest.removeFirst();
            continue;
        }
        if (!isProgramOption(option))
            break;
        if (rest.size() < 2) {
            err << "tovin-catalog: " << option << " needs a value\n";
            return ExitFailure;
        }
        if (const auto refused = applyProgramOption(option, rest.at(1), start)) {
            err << "tovin-catalog: " << *refused << '\n';
            return ExitFailure;
        }
        rest = rest.mid(2);
    }
    if (rest.isEmpty())
        return -1;
    const BatchCommand* command = findCommand(rest.first());
    QStringList words = rest.mid(1);
    if (const auto refused = takeProgramSwitches(words, quiet)) {
        err << "tovin-catalog: " << *refused << '\n';
        return ExitFailure;
    }
    if (command) {
        if (words.contains(u"--help"_s)) {
            out << command->usage;
            return ExitOk;
        }
        return runBatch(*command, words, quiet, out, err);
    }
    if (words.isEmpty() && !rest.first().startsWith(u'-') && QFileInfo(rest.first()).isFile())
        return chooseWindowCatalogue(rest.first(), err);
    err << "tovin-catalog: unknown command or option \"" << rest.first()
        << "\". Run tovin-catalog --help for the list.\n";
    return ExitFailure;
}

} // namespace tovin
