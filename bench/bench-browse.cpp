// Browsing the Products screen over a 100 000-product catalogue with the real web view: 1 000
// row moves, alternating the Next button and the Down key, with the window events processed
// after each move as the program's event loop would. Prints the average and the worst move.
//
//   bench-browse [PRODUCTS [MOVES]]

#include "BenchSupport.h"
#include "core/shell/ProgramFolder.h"
#include "core/shell/Prompts.h"
#include "core/shell/SettingsStore.h"
#include "core/shell/SharedState.h"
#include "ui/browser/WebEngineView.h"
#include "ui/products/Products.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

// Answers every question with OK, so nothing waits for a user.
class SilentPrompts : public Prompts {
public:
    MessageAnswer message(const QString&, MessageButtons, MessageIcon, const QString&) override {
        return MessageAnswer::Ok;
    }
    QString input(const QString&, const QString&, const QString& defaultText) override {
        return defaultText;
    }
    QString openFile(const FileDialogRequest&) override { return {}; }
    QString saveFile(const FileDialogRequest&) override { return {}; }
    std::optional<FontChoice> chooseFont(const FontChoice&) override { return std::nullopt; }
    std::optional<RgbColor> chooseColor(const RgbColor&) override { return std::nullopt; }
};

void waitFor(int ms) {
    bench::Stopwatch watch;
    while (watch.milliseconds() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    WebEngineView::prepareApplication();
    QApplication app(argc, argv);
    const int products = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const int moves = argc > 2 ? QByteArray(argv[2]).toInt() : 1000;
    QTextStream out(stdout);

    QTemporaryDir folder;
    ProgramFolder::setOverride(folder.path());
    ProgramFolder::applyToSharedState();
    SettingsStore::setProgramFile(folder.filePath(u"settings.ini"_s));
    SilentPrompts prompts;
    shared().prompts = &prompts;
    const QString catalogue = folder.filePath(u"tovin2003-a.mde"_s);
    bench::generateCatalogue(catalogue, products);
    shared().DBPath = catalogue;

    bench::Stopwatch watch;
    Products screen;
    screen.resize(1000, 650);
    screen.show();
    waitFor(1500); // the web engine starts and shows the first preview
    out << "open: " << watch.milliseconds() << " ms (" << products << " products)\n";

    auto* next = screen.findChild<QPushButton*>(u"cmdNext"_s);
    double total = 0;
    double worst = 0;
    for (int i = 0; i < moves; ++i) {
        watch.restart();
        if (i % 2 == 0) {
            next->click();
        } else {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
            QApplication::sendEvent(&screen, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
            QApplication::sendEvent(&screen, &release);
        }
        QApplication::processEvents();
        const double ms = watch.milliseconds();
        total += ms;
        worst = std::max(worst, ms);
    }
    out << "move average: " << total / moves << " ms\n";
    out << "move worst: " << worst << " ms\n";

    // The row the user stopped on is the one the preview shows.
    screen.flushPreview();
    QFile page(shared().AppFolder + u"page.htm"_s);
    const QString stockNo = screen.primaryRecordSet()->value(u"StockNo"_s).toString();
    const bool current = page.open(QIODevice::ReadOnly) &&
                         QString::fromUtf8(page.readAll()).contains(u"alt=\""_s + stockNo + u'"');
    out << "status: " << screen.findChild<QLabel*>(u"lblStatus"_s)->text()
        << (current ? ", preview of " : ", preview NOT of ") << stockNo << "\n";
    out << "peak memory: " << bench::peakMemoryMB() << " MB\n";
    return current ? 0 : 1;
}
