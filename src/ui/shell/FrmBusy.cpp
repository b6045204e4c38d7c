#include "ui/shell/FrmBusy.h"

#include "core/backup/BackupRestore.h"
#include "core/backup/SqliteFile.h"
#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueFile.h"
#include "core/catalogue/CatalogueOffers.h"
#include "core/files/OutputFile.h"
#include "core/files/ProgramFolder.h"
#include "core/settings/SettingsStore.h"
#include "core/shell/ErrorReporting.h"
#include "core/storage/WriterTurn.h"
#include "ui/shell/BusyCursor.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMovie>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {
QString busyLabel(const QString& procedure) {
    return formLabel(u"frmBusy"_s, procedure);
}
// The busy screen up now, if any: the one a wait for another writer is shown on.
QPointer<FrmBusy>& shownScreen() {
    static QPointer<FrmBusy> screen;
    return screen;
}
} // namespace

FrmBusy::FrmBusy(const PromptsInUse& prompts, const QString& catalogue, QWidget* parent)
    : QWidget(parent, Qt::Dialog), m_prompts(prompts), m_animation(new QLabel(this)),
      m_label(new QLabel(this)), m_cancel(new QPushButton(u"Cancel"_s, this)),
      m_catalogue(catalogue) {
    setObjectName(u"frmBusy"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(SettingsStore::ApplicationTitle);
    // The rest of the program waits while the file is copied.
    setWindowModality(Qt::ApplicationModal);
    m_animation->setObjectName(u"Animation1"_s);
    m_animation->setAlignment(Qt::AlignCenter);
    m_animation->setMinimumHeight(60);
    m_label->setObjectName(u"Label1"_s);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setMinimumWidth(380);
    m_cancel->setObjectName(u"cmdCancel"_s);
    m_cancel->hide();
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_cancel->setEnabled(false);
        WriterTurn::cancelWaits();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_animation);
    layout->addWidget(m_label);
    layout->addWidget(m_cancel, 0, Qt::AlignCenter);
}

void FrmBusy::watchWriterWaits() {
    WriterTurn::setWatcher([](int limitMs) {
        QCoreApplication* application = QCoreApplication::instance();
        if (!application)
            return;
        if (QThread::currentThread() == application->thread() &&
            qobject_cast<QApplication*>(application)) {
            // The main thread waits outside its event loop: the hourglass shows until the loop
            // runs again, which is when the wait is over.
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
            QTimer::singleShot(0, application, [] { QApplication::restoreOverrideCursor(); });
        }
        // A run beside the event loop waits while the busy screen is up and answering.
        QMetaObject::invokeMethod(
            application,
            [limitMs] {
                if (FrmBusy* busy = shownScreen())
                    busy->showWriterWait(limitMs);
            },
            Qt::QueuedConnection);
    });
}

void FrmBusy::showWriterWait(int limitMs) {
    m_label->setText(
        u"Waiting for another user to finish writing the catalogue\u2026\n(at most "_s +
        WriterTurn::seconds(limitMs) + u"; Cancel stops the waiting)"_s);
    m_cancel->setEnabled(true);
    m_cancel->show();
}

QString FrmBusy::run(const PromptsInUse& prompts, QWidget* owner, const QString& catalogue) {
    QPointer<FrmBusy> busy = new FrmBusy(prompts, catalogue, owner);
    if (!busy->Form_Load())
        return QString();
    busy->show();
    busy->Form_Activate();
    // The screen is closed; it is deleted once the event loop runs again.
    return busy && busy->saved() ? busy->target() : QString();
}

bool FrmBusy::Form_Load() {
    StepGuard step(busyLabel(u"Form_Load"_s), ErrorStyle::IgnoreAndResume);
    step([this] {
        Prompts& prompts = m_prompts.required();
        FileDialogRequest request;
        request.title = u"Save As"_s;
        request.filter = QString::fromUtf16(CatalogueFile::DialogFilter);
        request.folder = CatalogueOffers::copyFolder(m_catalogue, ProgramFolder::path());
        const QString chosen = prompts.saveFile(request);
        m_target = CatalogueFile::withCatalogueSuffix(chosen);
        // The dialog asked about the name it showed; a file under the name with ".mde" added
        // has not been asked about yet.
        if (m_target != chosen && QFileInfo::exists(m_target) &&
            prompts.ask(u"Replace "_s + QFileInfo(m_target).fileName() + u'?',
                        MessageButtons::YesNo, MessageDefault::Second, MessageIcon::Question,
                        u"Save As"_s) != MessageAnswer::Yes)
            m_target.clear();
    });
    if (m_target.isEmpty()) {
        close();
        return false;
    }
    return true;
}

void FrmBusy::closeEvent(QCloseEvent* event) {
    if (m_copying)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void FrmBusy::showEvent(QShowEvent* event) {
    shownScreen() = this;
    QWidget::showEvent(event);
}

void FrmBusy::Form_Activate() {
    StepGuard quiet(busyLabel(u"Form_Activate"_s), ErrorStyle::IgnoreAndResume);
    m_copying = true;
    {
        BusyCursor busy;
        const QString source = m_catalogue;
        quiet([this] {
            m_movie = new QMovie(ProgramFolder::path() + u"filemove.gif"_s, QByteArray(), this);
            if (m_movie->isValid()) {
                m_animation->setMovie(m_movie);
                m_movie->start();
            }
        });
        m_label->setText(u"Saving File: "_s + source + u" as: "_s + m_target +
                         u"\nPlease Wait... This Could Take A few Minutes"_s);
        m_cancel->hide();
        letEventsRun();
        StepGuard step(busyLabel(u"Form_Activate"_s), m_prompts);
        m_saved = step([&] { copyCatalogue(source, m_target); });
        if (!m_saved && m_prompts.current) {
            // The error convention stays silent about most errors; a copy that did not happen
            // must never pass for one that did.
            const QString reason = step.lastError() ? step.lastError()->description() : QString();
            quiet([&] {
                m_prompts.current->notice(
                    u"The catalogue was not saved as "_s + m_target + u".\n\n"_s + reason,
                    MessageIcon::Exclamation, SettingsStore::ApplicationTitle);
            });
        }
        if (m_movie)
            m_movie->stop();
    }
    m_copying = false;
    close();
}

void FrmBusy::copyCatalogue(const QString& source, const QString& target) {
    // The copy runs beside the event loop so the animation keeps playing on a large file. It
    // opens a connection of its own, which reads one consistent state of the catalogue even
    // while screens of the program have it open.
    std::optional<RunTimeError> failure;
    std::atomic_bool done = false;
    QThread* worker = QThread::create([&] {
        try {
            CatalogueDatabase database(source);
            if (!QFileInfo::exists(target)) {
                database.copyTo(target);
            } else {
                // Another catalogue is replaced in place, held alone as a restore holds it: a
                // file renamed over it would leave the programs working on it writing to a file
                // that is gone. The copy is made beside it first, under a name of its own.
                OutputFile::check(target, OutputRules{source, true, true});
                const QFileInfo place(target);
                const QString staged = place.absolutePath() + u"/."_s + place.fileName() + u'-' +
                                       QString::number(QCoreApplication::applicationPid()) +
                                       u".saving"_s;
                SqliteFile::removeWithJournals(staged);
                try {
                    database.copyTo(staged);
                    BackupRestore::restore(staged, target);
                } catch (...) {
                    SqliteFile::removeWithJournals(staged);
                    throw;
                }
                SqliteFile::removeWithJournals(staged);
            }
        } catch (const RunTimeError& error) {
            failure = error;
        } catch (const std::exception& error) {
            failure = RunTimeError(0, QString::fromLocal8Bit(error.what()));
        }
        done = true;
    });
    worker->start();
    // A wait abandoned because the program is closing still lets the copy finish: the thread
    // uses this procedure's state until its last line.
    static_cast<void>(waitUntil([&] { return done.load(); }));
    worker->wait();
    delete worker;
    if (failure)
        throw *failure;
}

} // namespace tovin
