#include "ui/reports/ReportsMenu.h"

#include "core/base/Prompts.h"
#include "core/reports/PreparedReport.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "ui/reports/ReportDocument.h"
#include "ui/reports/ReportMaker.h"
#include "ui/shell/BusyCursor.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace tovin::ReportsMenu {

QMenu* addTo(QMainWindow* window, QMenu* before, const CatalogueInUse& catalogue,
             const PromptsInUse& prompts) {
    auto* menu = new QMenu(u"&Reports"_s, window);
    menu->setObjectName(u"mnuReports"_s);
    menu->menuAction()->setObjectName(u"mnuReports"_s);
    window->menuBar()->insertMenu(before ? before->menuAction() : nullptr, menu);
    const QList<ReportEntry>& entries = reportEntries();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        // The cost price lists come first, then the other reports.
        if (i == 5)
            menu->addSeparator()->setObjectName(u"mnusep"_s);
        const ReportEntry entry = entries.at(i);
        QAction* action = menu->addAction(entry.caption);
        action->setObjectName(entry.menuName);
        QObject::connect(
            action, &QAction::triggered, window, [window, entry, &catalogue, &prompts] {
                ShowReport(prompts, window, entry.menuName, entry.file, catalogue.path);
            });
    }
    return menu;
}

void ShowReport(const PromptsInUse& prompts, QWidget* parent, const QString& entryName,
                const QString& reportFile, const QString& catalogue) {
    StepGuard step(formLabel(u"frmMain"_s, entryName + u"_Click"_s), prompts);
    std::optional<ReportDocument> document;
    QPrinter printer(QPrinter::HighResolution);
    {
        BusyCursor busy;
        const bool made = step([&] {
            document = ReportMaker::make(parent, reportFile, reportFilePath(reportFile), catalogue,
                                         printer.resolution());
        });
        // A missing file has been reported as such; anything else is told with its reason,
        // so a report that could not be made never looks like an empty one.
        if (!made && step.lastError() && step.lastError()->number() != ErrorNumber::FileNotFound)
            prompts.notice(u"The report \"%1\" could not be made.\n\n%2"_s.arg(
                               reportFile, step.lastError()->description()),
                           MessageIcon::Exclamation);
    }
    if (!document)
        return;
    step([&] {
        document->preparePage(&printer);
        QPrintPreviewDialog preview(&printer, parent);
        preview.setObjectName(u"ReportPreview"_s);
        preview.setWindowTitle(reportFile);
        preview.resize(900, 700);
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                         [&](QPrinter* target) {
                             StepGuard paint(formLabel(u"frmMain"_s, u"ShowReport"_s), prompts);
                             paint([&] { document->print(target); });
                         });
        preview.exec();
    });
}

} // namespace tovin::ReportsMenu
