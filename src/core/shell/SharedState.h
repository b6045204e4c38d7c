#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>
#include <array>
#include <cstdint>

namespace tovin {

class Prompts;

// The values through which the screens hand work to each other. One instance exists for the
// whole run (shared()); every value starts empty, zero or false.
struct SharedState {
    // Core values.
    QString AppFolder;      // the program folder, always ending in "/"
    QString PicturesFolder; // AppFolder + "pictures/"
    QString DBPath;         // full path of the catalogue file every data screen opens
    QObject* MainWindow = nullptr;
    QString WebAddress;       // address the web browser screen opens
    QString SupplierUserName; // member name handed to the supplier's web shop log-in
    QString SupplierPassword; // member password handed to the supplier's web shop log-in

    // Flags one screen sets and another waits for or tests.
    bool FirstActivation = false;
    bool EditProdOpen = false;
    bool SupplierScreenClosed = false;
    bool TipFromMenu = false;

    // Between the Products screen and the import screen.
    std::int16_t BuildMode = 0;

    // Where questions and notices go (real dialogs in the program, a script in tests).
    Prompts* prompts = nullptr;
};

// The one shared state of the program.
SharedState& shared();

// The prompts of the shared state; with none set (no screen and no test script to answer),
// raises error 424 rather than asking nobody.
Prompts& requiredPrompts();

// Puts every value back to its start value, keeping the prompts, and lets waits run again
// (tests use this between cases).
void resetSharedState();

} // namespace tovin
