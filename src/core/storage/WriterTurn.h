#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

namespace tovin {

// How long a writer waits for its turn at a catalogue while another program or computer writes
// it, and what the rest of the program learns of the wait. One writer at a time holds the
// catalogue's write lock; a file's lock goes with the process holding it and a server's with
// the holder's session, so a wait up to the limit ends as soon as the holder is done or gone,
// and gives up only on a holder that is stuck (or the user's Cancel).
class WriterTurn {
public:
    static constexpr int DefaultWaitSeconds = 300;
    // The window's catalogues take their wait from this setting (whole seconds).
    static inline const QString SettingsSection = QStringLiteral("Catalogue");
    static inline const QString SettingsKey = QStringLiteral("WriterWaitSeconds");

    // The longest wait of the connections opened from now on, in milliseconds (0: no wait).
    static int limitMs();
    // A wait the whole process keeps (a batch command's --wait); the setting is no longer read.
    static void setLimitMs(int milliseconds);
    static bool limitKept();
    // Takes the setting's text as the wait, unless the process keeps one of its own. A text
    // that is no usable number of seconds leaves the default.
    static void takeSetting(const QString& text);

    // A number of seconds, 0 or more, whole or with decimals; nothing for any other text.
    static std::optional<int> readSeconds(const QString& text);

    // Told in the waiting thread, once per wait, when a writer begins to wait for another.
    using Watcher = std::function<void(int limitMs)>;
    static void setWatcher(Watcher watcher);
    static void waitStarted(int limitMs);

    // Ends every wait running now (the busy screen's Cancel); a wait compares the count at its
    // start with the count now.
    static void cancelWaits();
    static quint64 cancelCount();

    // "waiting up to 300 seconds": what the wait is for and how long it may last.
    static QString waitingText(int limitMs);
    // Why a write was given up: the wait ran out, or the user cancelled it.
    static QString gaveUpText(int limitMs);
    static QString cancelledText();
    static QString seconds(int milliseconds);
};

} // namespace tovin
