#pragma once

#include "support/ui/monkey/Monkey.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

namespace tovin {
class FrmMain;
}

// The window of a torture run, in the test's own process, on the same catalogue as the batch
// commands: driven a few steps at a time by the monkey, its screens closed and opened again,
// and checked that what it holds and writes is the catalogue the other programs see.
namespace tovin::test::torture {

class Window : public QObject {
    Q_OBJECT
public:
    // `folder` is the program folder (the monkey's file dialogs answer there), `work` a folder
    // for the files of the checks.
    Window(FrmMain& main, QString folder, QString catalogue, QString work);

    // A few monkey steps (or the recorded ones); `lines` gets what was done, for the replay.
    monkey::RunResult monkeySteps(quint64 seed, int steps,
                                  const std::optional<monkey::Replay>& replay,
                                  QList<monkey::LogLine>& lines);
    // Called from another thread, with the steps of the stretch so far, when a step seems
    // stuck: the monkey's watchdog then ends the process, and the run's replay must still hold
    // the step that hung. Those steps are then left out of `lines`.
    void onStuck(std::function<void(const QList<monkey::LogLine>&)> note) {
        m_stuckNote = std::move(note);
    }
    // As File > Restore From Backup does before it restores: every screen closes.
    void closeScreens();
    void openProducts();
    // A backup copy written by this process, as File > Back Up Now writes it, while the screens
    // keep the catalogue open. What became of it, for the log.
    QString backUp();

    // Descriptors of this process that lead to the catalogue's files, deleted since.
    QStringList deletedDescriptors() const;
    // Writes `text` into a product's notes through the Products screen's record set when the
    // screen is open and idle (else through a record set of its own), then reads it back with
    // an export in another process. Failures, empty when the other process saw it.
    QStringList noteSeenByAnotherProcess(const QString& text);
    // On a server, while the Products screen is open: another process changes a product and
    // this process must be told of it (the screen's connection listens, and listens again after
    // its backend ended or the server restarted). Failures, empty when it was told.
    QStringList hearsAnotherProcess();
    // The Products rows this process wrote since the last call.
    QList<qint64> takeWrittenRows();

private:
    std::optional<QString> writeNoteThroughScreen(const QString& text);
    QString writeNoteOwnRecordSet(const QString& text);

    FrmMain& m_main;
    QString m_folder;
    QString m_catalogue;
    QString m_work;
    bool m_server = false;
    bool m_working = false; // the monkey's steps are under way
    QList<qint64> m_written;
    int m_notes = 0;
    std::function<void(const QList<monkey::LogLine>&)> m_stuckNote;
};

} // namespace tovin::test::torture
