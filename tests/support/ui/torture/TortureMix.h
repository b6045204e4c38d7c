#pragma once

#include "support/ui/torture/TortureCommand.h"
#include "support/ui/torture/TortureModel.h"

#include <QRandomGenerator>

// The random mix of a torture run: each wave is a few batch commands started together (some
// killed part way), what the window does meanwhile, and the monkey's steps.
namespace tovin::test::torture {

struct Wave {
    int number = 0;
    QList<Command> commands;
    bool closeScreens = false;
    bool openProducts = false;
    bool windowBackup = false; // the window writes a backup copy in its own process
    int monkeySteps = 0;
    quint64 monkeySeed = 0;
    // On a server catalogue: one of the catalogue's backends is ended this long after the
    // wave's start (-1: none), the `terminatePick`-th of them; the server is stopped at
    // `restartMs` and started again `restartPauseMs` later (-1: not).
    int terminateMs = -1;
    quint32 terminatePick = 0;
    int restartMs = -1;
    int restartPauseMs = 0;

    Entry toEntry() const;
    // The wave's own line; its commands are lines of their own.
    static Wave fromEntry(const Entry& entry);
};

class Mix {
public:
    // TORTURE_LEAVE_OUT names commands never chosen ("restore,undo"), to look past a fault
    // already known.
    // On a server catalogue (`server`) nothing is restored from a copy, the window writes no
    // copies, and waves end backends and restart the server.
    Mix(quint64 seed, bool server);

    // A new wave for the model as it stands; `copies` are the commands whose backup copies can
    // be restored.
    Wave next(const Model& model, const QList<int>& copies);

private:
    std::optional<Command> choose(const Model& model, const QList<int>& copies, QSet<int>& families,
                                  int& newFamily, bool& restoring);
    int pick(const QList<int>& weights);
    int bounded(int limit) { return int(m_random.bounded(quint32(limit))); }
    // A family no other writer of the wave touches, standing (not loose) ones preferred.
    std::optional<int> freeFamily(const Model& model, const QSet<int>& taken, bool withRuns);

    void chooseServerEvents(Wave& wave);

    QRandomGenerator m_random;
    bool m_server = false;
    QList<int> m_weights;
    int m_nextCommand = 1;
    int m_nextFamily = 1;
    int m_waves = 0;
};

} // namespace tovin::test::torture
