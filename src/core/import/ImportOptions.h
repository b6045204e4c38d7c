#pragma once

#include "core/shell/RunTimeError.h"

#include <QDate>
#include <QString>
#include <functional>

namespace tovin {

struct ImportReport;

// The choices the user made for one run of the record import.
struct ImportOptions {
    // Items whose stock number is not in the catalogue are passed over.
    bool editOnly = false;
    // Items marked discontinued (a field mapped to Disco) are passed over.
    bool skipDiscontinued = false;
    // The note added to the Notes of every row added or edited; see ProductImporter.
    QString note;
    // The supplier of the items, stored in Supplier of every row touched (empty: none).
    QString supplier;
    // The date of the note line of an edited row when the note is empty.
    QDate today = QDate::currentDate();
    // Items written per transaction: a crash loses at most the batch being written.
    int commitEvery = 2000;
    // Money values are written with a decimal comma ("1.234,50").
    bool decimalComma = false;
    // A trial run: everything is done in one transaction that is rolled back at the end.
    bool dryRun = false;
    // How the run is named in the journal of runs: its kind (see JournalRun) and the file or
    // search it worked on.
    QString runKind = QStringLiteral("import");
    QString runSource;
    // When set, receives the change lines, the products added and the values passed over.
    ImportReport* report = nullptr;
    // Told about every value or row the catalogue refuses; the run goes on with the next one.
    // When unset, errors go to ReportError under "(Form) BuildDB::Sub GetFiles".
    std::function<void(const RunTimeError&)> onError;
};

} // namespace tovin
