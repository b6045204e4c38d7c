// The program's real dialogs: once one closes, the keyboard is back where it was before it
// opened (the main window active, the focus in the child screen that had it), so the menu keys
// act at the first press.
#include "support/ui/ScreenDriver.h"
#include "ui/shell/QtPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

// A main window with a document area of two child screens of two boxes each.
struct MainWindow {
    QMainWindow window;
    QMdiArea* area = new QMdiArea;
    QList<QPointer<QMdiSubWindow>> screens;
    QList<QList<QLineEdit*>> boxes;

    MainWindow() {
        window.setCentralWidget(area);
        window.resize(800, 600);
        for (int s = 0; s < 2; ++s) {
            auto* screen = new QWidget;
            auto* column = new QVBoxLayout(screen);
            boxes << QList<QLineEdit*>();
            for (int b = 0; b < 2; ++b) {
                auto* box = new QLineEdit(screen);
                box->setObjectName(u"screen%1box%2"_s.arg(s).arg(b));
                column->addWidget(box);
                boxes.last() << box;
            }
            screens << area->addSubWindow(screen);
            screens.last()->resize(300, 200);
        }
        window.show();
    }
};

// Once a dialog shows, runs `before` and then closes the dialog the way its user would: the
// default button of a message box, Cancel of any other dialog.
void dismissWhenShown(std::function<void()> before) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, before] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        if (before)
            before();
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            QAbstractButton* button = box->defaultButton()
                                          ? static_cast<QAbstractButton*>(box->defaultButton())
                                          : box->buttons().value(0);
            QVERIFY(button);
            button->click();
        } else if (auto* other = qobject_cast<QDialog*>(dialog)) {
            other->reject();
        }
    });
    timer->start();
}

void showPrompt(QtPrompts& prompts, const QString& kind) {
    if (kind == u"notice"_s)
        prompts.notice(u"Done."_s, MessageIcon::Information);
    else if (kind == u"question"_s)
        prompts.ask(u"Delete this record?"_s, MessageButtons::YesNo, MessageDefault::Second,
                    MessageIcon::Question, QString());
    else if (kind == u"input"_s)
        prompts.input(u"Enter Starting Page Number"_s, u"Page Number"_s, u"1"_s);
    else if (kind == u"font"_s)
        prompts.chooseFont(FontChoice{});
    else
        QFAIL(qPrintable(u"unknown prompt "_s + kind));
}

} // namespace

class QtPromptsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { quietenPlatformNotes(); }

    // The child screen active before the dialog is active after it, with the focus in the box
    // that had it; a screen closed meanwhile leaves the focus with the screen now active. With no
    // window active before the dialog, the main window gets the keyboard back.
    void focusComesBack_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("screen");
        QTest::addColumn<int>("box");
        QTest::addColumn<bool>("closeScreen"); // the screen closes while the dialog is up
        QTest::addColumn<bool>("noneActive");  // no window is active as the dialog opens
        QTest::newRow("a notice") << u"notice"_s << 1 << 1 << false << false;
        QTest::newRow("a notice, the first screen") << u"notice"_s << 0 << 0 << false << false;
        QTest::newRow("a question") << u"question"_s << 1 << 1 << false << false;
        QTest::newRow("an input box") << u"input"_s << 0 << 1 << false << false;
        QTest::newRow("a font dialog") << u"font"_s << 1 << 0 << false << false;
        QTest::newRow("the screen closed meanwhile") << u"notice"_s << 1 << 1 << true << false;
        QTest::newRow("no window active before") << u"notice"_s << 1 << 1 << false << true;
    }
    void focusComesBack() {
        QFETCH(QString, kind);
        QFETCH(int, screen);
        QFETCH(int, box);
        QFETCH(bool, closeScreen);
        QFETCH(bool, noneActive);
        MainWindow main;
        QVERIFY(QTest::qWaitForWindowActive(&main.window));
        main.area->setActiveSubWindow(main.screens.at(screen));
        main.boxes.at(screen).at(box)->setFocus();
        QCOMPARE(QApplication::focusWidget(), main.boxes.at(screen).at(box));
        if (noneActive) {
            QApplication::setActiveWindow(nullptr);
            QVERIFY(!QApplication::activeWindow());
        }

        QtPrompts prompts;
        bool dialogHadTheKeyboard = false;
        dismissWhenShown([&] {
            dialogHadTheKeyboard = QTest::qWaitForWindowActive(QApplication::activeModalWidget());
            if (closeScreen)
                main.screens.at(screen)->close();
        });
        showPrompt(prompts, kind);
        QVERIFY(dialogHadTheKeyboard);

        QVERIFY(QTest::qWaitForWindowActive(&main.window));
        QCOMPARE(QApplication::activeWindow(), &main.window);
        if (closeScreen) {
            QMdiSubWindow* active = main.area->activeSubWindow();
            QVERIFY(active);
            QCOMPARE(active, main.screens.at(1 - screen).data());
            QVERIFY(QApplication::focusWidget());
            QVERIFY(active->isAncestorOf(QApplication::focusWidget()));
        } else {
            QCOMPARE(main.area->activeSubWindow(), main.screens.at(screen).data());
            QCOMPARE(QApplication::focusWidget(), main.boxes.at(screen).at(box));
        }
    }
};

QTEST_MAIN(QtPromptsTest)
#include "tst_qtprompts.moc"
