#include "ui/reports/ReportMaker.h"

#include "core/base/EventWait.h"
#include "core/base/RunTimeError.h"
#include "core/reports/PreparedReport.h"

#include <QCoreApplication>
#include <QMutex>
#include <QProgressDialog>
#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <memory>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// What the background work hands over; shared, since a cancelled wait leaves before the work
// ends.
struct Outcome {
    QMutex mutex;
    std::optional<ReportDocument> document;
    std::optional<RunTimeError> error;
    std::optional<QString> foreign;
    std::atomic<bool> done{false};
    bool abandoned = false; // the window no longer waits: the document stays in its thread
};

// Reports run on threads of their own. Qt's painting splits large image work over the global
// thread pool and waits for it in the window's thread, so a report there (or two abandoned ones
// still running on a two-core machine) would stall the window's painting until they end.
QThreadPool& reportThreads() {
    static QThreadPool pool;
    pool.setMaxThreadCount(4);
    return pool;
}

// A report still being made when the application ends (one the user cancelled, say) lays out
// text with the application's fonts: the application waits for it before it lets them go.
void waitForReports() {
    reportThreads().waitForDone();
}

void waitForReportsAtTheEnd() {
    qRemovePostRoutine(waitForReports);
    qAddPostRoutine(waitForReports);
}

} // namespace

std::optional<ReportDocument> ReportMaker::make(QWidget* parent, const QString& caption,
                                                const QString& reportPath, const QString& catalogue,
                                                int resolution) {
    auto outcome = std::make_shared<Outcome>();
    QThread* owner = QThread::currentThread();
    waitForReportsAtTheEnd();
    // The settings are the window's thread's: read here, before the work leaves it.
    const ProgramList::Settings lists = ProgramList::Settings::fromProgram();
    reportThreads().start([outcome, reportPath, catalogue, resolution, owner, lists] {
        // The catalogue is opened here, in this thread, and closed before the work ends.
        try {
            ReportDocument document(
                PreparedReport::make(reportPath, catalogue, QDate::currentDate(), lists));
            document.layOut(resolution);
            // A document nobody waits for any more ends here, in the thread its parts live in.
            const QMutexLocker lock(&outcome->mutex);
            if (outcome->abandoned)
                return;
            document.moveToThread(owner);
            outcome->document.emplace(std::move(document));
        } catch (const RunTimeError& error) {
            const QMutexLocker lock(&outcome->mutex);
            outcome->error = error;
        } catch (const std::exception& error) {
            const QMutexLocker lock(&outcome->mutex);
            outcome->foreign = QString::fromLocal8Bit(error.what());
        }
        outcome->done = true;
    });

    QProgressDialog progress(u"Making the report \"%1\" ..."_s.arg(caption), u"Cancel"_s, 0, 0,
                             parent);
    progress.setObjectName(u"ReportProgress"_s);
    progress.setWindowTitle(caption);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.show();
    // Closed or cancelled, the dialog leaves the report unmade.
    const bool waited = waitUntil(
        [&] { return outcome->done.load() || progress.wasCanceled() || !progress.isVisible(); });
    const bool cancelled = !waited || progress.wasCanceled() || !progress.isVisible();
    const QMutexLocker lock(&outcome->mutex);
    if (cancelled || !outcome->done.load()) {
        // One made meanwhile already belongs to this thread, and ends here.
        outcome->abandoned = true;
        const std::optional<ReportDocument> dropped = std::exchange(outcome->document, {});
        return std::nullopt;
    }
    progress.hide();
    if (outcome->error)
        throw *outcome->error;
    if (outcome->foreign)
        throw RunTimeError(ErrorNumber::DatabaseRefused,
                           u"The report could not be made: "_s + *outcome->foreign);
    return std::move(outcome->document);
}

} // namespace tovin
