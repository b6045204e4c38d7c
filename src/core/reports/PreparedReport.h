#pragma once

#include "core/reports/ProgramList.h"

#include <QDate>
#include <QList>
#include <QString>

namespace tovin {

// A report ready to be laid out on pages: the page text filled with the catalogue's data,
// and what every printed page repeats (title, catalogue, date).
struct PreparedReport {
    QString title;
    QString catalogue; // the catalogue's short name (see CatalogueLocation::shortName)
    QString date;      // the day it was made, MM/DD/YYYY
    bool landscape = false;
    QString html;

    // Reads the report file and fills it from the catalogue at `cataloguePath`. A missing
    // report file raises error 53, a missing catalogue error 3049; a report file that cannot
    // be used raises an error that says why. The program's own lists are read with `lists`
    // (read from the settings in the calling thread unless given).
    static PreparedReport
    make(const QString& reportPath, const QString& cataloguePath,
         const QDate& today = QDate::currentDate(),
         const ProgramList::Settings& lists = ProgramList::Settings::fromProgram());
};

// The fixed reports of the Reports menu.
struct ReportEntry {
    QString menuName; // "mnuR1"
    QString caption;  // "Cost &1 Price List", with its access key
    QString file;     // "cost1.rpt", in the program folder
};
const QList<ReportEntry>& reportEntries();

// The report file a name stands for: a name without a folder is looked up in the program
// folder, and ".rpt" is added when it has no extension ("inventory" -> ProgramFolder::path() +
// "inventory.rpt").
QString reportFilePath(const QString& name);

} // namespace tovin
