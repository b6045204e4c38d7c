// The window's waits for another user writing the catalogue: as long as its setting says, and
// on the busy screen with a Cancel that ends them.
#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/settings/SettingsStore.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/WriterTurn.h"
#include "support/core/TestProgramFolder.h"
#include "ui/shell/FrmBusy.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <future>
#include <optional>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::TestProgramFolder;

class WriterWaitTest : public QObject {
    Q_OBJECT

    // Another program's write lock, held from a thread of its own until `release` is set.
    struct Holder {
        std::promise<void> locked;
        std::promise<void> release;
        std::thread thread;
        explicit Holder(const QString& path) {
            thread = std::thread([this, path] {
                CatalogueDatabase other(path);
                ScopedTransaction hold(other);
                locked.set_value();
                release.get_future().wait();
                hold.commit();
            });
            locked.get_future().wait();
        }
        ~Holder() {
            letGo();
            thread.join();
        }
        void letGo() {
            if (!released.exchange(true))
                release.set_value();
        }
        std::atomic<bool> released = false;
    };

    static QString writeOneProduct() {
        try {
            CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
            ScopedTransaction transaction(db);
            db.run(u"INSERT INTO Products (PID, StockNo) VALUES (1, 'W1')"_s);
            transaction.commit();
        } catch (const CatalogueFailure& failure) {
            return failure.description();
        }
        return QString();
    }
    static qint64 products() {
        return CatalogueDatabase(TestProgramFolder::current().catalogue().path)
            .scalar(u"SELECT count(*) FROM Products"_s)
            .toLongLong();
    }

private slots:
    void cleanup() { WriterTurn::setWatcher({}); }

    // A save in the window waits as long as the setting says: it gives up after a set wait the
    // holder outlasts, and without a usable setting it waits the default minutes, long enough
    // for the holder to finish.
    void saveWaitsAsTheSettingSays_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("refusal"); // empty: the save waits and succeeds
        QTest::newRow("1 second") << u"1"_s << u"wait of 1 second"_s;
        QTest::newRow("no wait") << u"0"_s << u"no wait"_s;
        QTest::newRow("not set") << QString() << QString();
        QTest::newRow("not a number") << u"soon"_s << QString();
        QTest::newRow("negative") << u"-5"_s << QString();
    }
    void saveWaitsAsTheSettingSays() {
        QFETCH(QString, setting);
        QFETCH(QString, refusal);
        TestProgramFolder folder(TestProgramFolder::Catalogue::Empty);
        if (!setting.isNull())
            SettingsStore::program().setValue(WriterTurn::SettingsSection, WriterTurn::SettingsKey,
                                              setting);
        Holder holder(TestProgramFolder::current().catalogue().path);
        std::atomic<int> waits = 0;
        // The holder finishes once the save is seen waiting.
        WriterTurn::setWatcher([&](int limitMs) {
            ++waits;
            if (refusal.isEmpty() && limitMs == WriterTurn::DefaultWaitSeconds * 1000)
                holder.letGo();
        });
        const QString message = writeOneProduct();
        if (refusal.isEmpty()) {
            QVERIFY2(message.isEmpty(), qPrintable(message));
            QCOMPARE(waits.load(), 1);
        } else {
            QVERIFY2(message.contains(refusal), qPrintable(message));
            QVERIFY2(message.startsWith(u"Another user kept the catalogue locked"_s),
                     qPrintable(message));
        }
        holder.letGo();
        QCOMPARE(products(), refusal.isEmpty() ? 1 : 0);
    }

    // A run beside the busy screen that waits for another user is shown waiting there, and the
    // screen's Cancel ends the wait: the run ends as cancelled and writes nothing.
    void busyScreenCancelEndsTheWait() {
        TestProgramFolder folder(TestProgramFolder::Catalogue::Empty);
        FrmBusy::watchWriterWaits();
        QWidget owner;
        const PromptsInUse nobody;
        auto* busy = new FrmBusy(nobody, folder.cataloguePath(), &owner);
        busy->show();
        auto* label = busy->findChild<QLabel*>(u"Label1"_s);
        auto* cancel = busy->findChild<QPushButton*>(u"cmdCancel"_s);
        QVERIFY(label && cancel);
        QVERIFY(!cancel->isVisible());
        std::optional<Holder> holder(std::in_place, TestProgramFolder::current().catalogue().path);
        products(); // the wait the screens take, read in the main thread
        std::atomic<bool> done = false;
        QString message;
        std::thread run([&] {
            message = writeOneProduct();
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(
            label->text().startsWith(u"Waiting for another user to finish writing"_s), 60000);
        QVERIFY(label->text().contains(u"300 seconds"_s));
        QVERIFY(cancel->isVisible());
        QVERIFY(!done);
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(done, 60000);
        run.join();
        QCOMPARE(message, WriterTurn::cancelledText());
        holder.reset();
        QCOMPARE(products(), 0);
    }
};

QTEST_MAIN(WriterWaitTest)
#include "tst_writerwait.moc"
