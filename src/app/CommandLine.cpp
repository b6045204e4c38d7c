#include "app/CommandLine.h"

#include "core/backup/CatalogueBackup.h"
#include "core/data/SchemaUpgrade.h"
#include "core/shell/ArgumentPasswords.h"
#include "core/shell/KeyringPasswordStore.h"
#include "core/shell/ProgramFolder.h"
#include "core/shell/ServerSignIn.h"
#include "core/shell/SettingsStore.h"
#include "core/storage/WriterTurn.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

QString programHelp() {
    QString text = u"Usage: tovin-catalog [--app-folder DIR] [--settings FILE]\n"
                   u"       tovin-catalog COMMAND [ARGUMENTS]\n\n"
                   u"Without a command the catalogue program opens its window on the catalogue\n"
                   u"it used last (by default tovin2003-a.mde in the program folder).\n\n"
                   u"Options:\n"
                   u"  --app-folder DIR  use DIR as the program folder instead of the folder of\n"
                   u"                    the executable\n"
                   u"  --settings FILE   keep the window and screen settings in FILE\n"
                   u"  --help            show this text\n"
                   u"  --version         show the program's version\n\n"
                   u"Commands:\n"_s;
    for (const BatchCommand& command : batchCommands())
        text += u"  %1%2\n"_s.arg(command.name.leftJustified(10), command.summary);
    text += u"\nRun \"tovin-catalog COMMAND --help\" for the arguments of a command.\n"_s;
    return text;
}

bool isProgramOption(const QString& option) {
    // --open-screen, --screenshot, --quit-after-ms, --preview, --web-address, --act and --answer
    // are left out of the help on purpose: they serve scripts/screenshot.sh.
    return option == u"--app-folder"_s || option == u"--settings"_s ||
           option == u"--open-screen"_s || option == u"--screenshot"_s ||
           option == u"--quit-after-ms"_s || option == u"--preview"_s ||
           option == u"--web-address"_s || option == u"--act"_s || option == u"--answer"_s;
}

int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err,
                   StartOptions* window) {
    StartOptions unused;
    StartOptions& start = window ? *window : unused;
    QStringList rest = arguments.mid(1);
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
        if (isProgramOption(option)) {
            if (rest.size() < 2) {
                err << "tovin-catalog: " << option << " needs a value\n";
                return ExitFailure;
            }
            const QString value = rest.at(1);
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
                if (!ok || start.quitAfterMs < 0) {
                    err << "tovin-catalog: " << option << " needs a number of milliseconds\n";
                    return ExitFailure;
                }
            }
            rest = rest.mid(2);
            continue;
        }
        break;
    }
    if (rest.isEmpty())
        return -1;
    for (const BatchCommand& command : batchCommands()) {
        if (command.name == rest.first()) {
            const QStringList commandArguments = rest.mid(1);
            if (commandArguments.contains(u"--help"_s)) {
                out << command.usage;
                return ExitOk;
            }
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
            const int status = command.run(commandArguments, out, err);
            WriterTurn::setWatcher({});
            SchemaUpgrade::setBeforeUpgrade({});
            return status;
        }
    }
    err << "tovin-catalog: unknown command or option \"" << rest.first()
        << "\". Run tovin-catalog --help for the list.\n";
    return ExitFailure;
}

} // namespace tovin
