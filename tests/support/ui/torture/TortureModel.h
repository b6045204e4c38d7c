#pragma once

#include "support/ui/torture/TortureFiles.h"

#include <QMap>
#include <QSet>

// What the catalogue must hold after the commands that ended, as far as the torture run can
// tell: its families of products, the runs that wrote them (which may be taken back), and what
// each backup copy holds.
namespace tovin::test::torture {

// A run of the journal that changed one family from `before` to `after`.
struct Transition {
    int command = 0;
    qint64 run = 0;
    FamilyState before;
    FamilyState after;
};

struct Family {
    int number = 0;
    int size = 0;
    int versions = 0; // files written so far
    FamilyState state;
    // The runs that brought the family to its state, oldest first; undoing the last one gives
    // its `before` back exactly.
    QList<Transition> stack;
    // Written by something whose effect cannot be told exactly (the window, an undo of a run
    // below the last, a restore racing a writer): only the rules that always hold are checked.
    bool loose = false;
    QString looseWhy;
};

struct Model {
    QMap<int, Family> families;
    int nextFamily = 1;
    // Runs already known as some command's.
    QSet<qint64> claimedRuns;

    // The family whose stack holds the run of `command`, and that transition's place in it.
    std::optional<std::pair<int, qsizetype>> transitionOf(int command) const;
    void makeLoose(int family, const QString& why);
    void makeAllLoose(const QString& why);
};

// What a backup copy holds: the model as it was for the copy.
struct Snapshot {
    QString copy;
    Model model;
};

} // namespace tovin::test::torture
