#pragma once

#include "core/base/RunTimeError.h"
#include "core/margins/MarginSettings.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

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
    // Keep my margins: a product whose Cost1 the item changes, and whose selling price the item
    // does not give, has its selling price (Price, or Retail when Price is empty) moved with
    // the cost so that its margin stays (see Margin::keptPrice), in the same write as the cost.
    bool keepMargins = false;
    // The minimum margin and price ending the run uses; unset, the program's settings are read
    // when the run starts (an unreadable one refuses the run before anything is written).
    std::optional<MarginSettings> margins;
    // When set, receives the change lines, the products added and the values passed over.
    ImportReport* report = nullptr;
    // Told about every value or row the catalogue refuses; the run goes on with the next one.
    // When unset, errors go to ReportError under "(Form) BuildDB::Sub GetFiles".
    std::function<void(const RunTimeError&)> onError;
};

} // namespace tovin
