#pragma once

#include "core/base/Prompts.h"
#include "support/ui/monkey/MonkeyLog.h"

#include <QRandomGenerator>

// How the monkey answers the questions and file choices that go through Prompts: at random (and
// written to the replay file) or, when a run is replayed, read back in order.
namespace tovin::test::monkey {

class Answers {
public:
    Answers(quint64 seed, QString folder, ReplayWriter& writer);

    // Replaying: the answers recorded for the step about to run. Without them a question is
    // cancelled, which is what a changed program most likely still offers.
    void replay(const QList<LogLine>& answers);
    bool replaying() const { return m_replaying; }

    // The next recorded answer of this kind, if any (replay), else nullopt.
    std::optional<LogLine> recorded(LogLine::Kind kind, const QString& target);
    void record(const LogLine& line) { m_writer.add(line); }
    QRandomGenerator& random() { return m_random; }
    const QString& folder() const { return m_folder; }
    // Once the run is over every question is cancelled, unrecorded, so the screens close.
    void windDown() { m_windingDown = true; }
    bool windingDown() const { return m_windingDown; }
    // Whether a question about deleting was answered Yes (or OK) since this was last reset.
    bool deleteConfirmed() const { return m_deleteConfirmed; }
    void setDeleteConfirmed(bool confirmed) { m_deleteConfirmed = confirmed; }
    // Whether the program said it restored the catalogue from a backup, or took a run back,
    // since this was last reset.
    bool catalogueRestored() const { return m_catalogueRestored; }
    void setCatalogueRestored(bool restored) { m_catalogueRestored = restored; }
    // Whether files in the Backups folder are left out of the files a dialog is answered with.
    bool leaveBackupsAlone() const { return m_leaveBackupsAlone; }
    void setLeaveBackupsAlone(bool leave) { m_leaveBackupsAlone = leave; }

private:
    QRandomGenerator m_random;
    QString m_folder;
    ReplayWriter& m_writer;
    bool m_replaying = false;
    QList<LogLine> m_queue;
    bool m_deleteConfirmed = false;
    bool m_catalogueRestored = false;
    bool m_leaveBackupsAlone = false;
    bool m_windingDown = false;
};

// The Prompts the program sees during a run: the prompts in use of `where` while it lives.
class MonkeyPrompts : public Prompts {
public:
    MonkeyPrompts(Answers& answers, PromptsInUse& where);
    ~MonkeyPrompts() override;

    MessageAnswer message(const QString& text, MessageButtons buttons, MessageIcon icon,
                          const QString& title) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText) override;
    QString openFile(const FileDialogRequest& request) override;
    QString saveFile(const FileDialogRequest& request) override;
    std::optional<FontChoice> chooseFont(const FontChoice& initial) override;
    std::optional<RgbColor> chooseColor(const RgbColor& initial) override;

private:
    QString answer(const QString& kind, const QStringList& choices, const QString& asked = {});
    QString fileAnswer(const QString& kind, const FileDialogRequest& request, bool saving);

    Answers& m_answers;
    PromptsInUse& m_where;
    Prompts* m_previous = nullptr;
};

} // namespace tovin::test::monkey
