// Browsing the Products screen over a generated catalogue (100 000 products unless told) with
// the real web view. "open" is the time from creating the screen to its first product painted
// with that product's preview loaded; then 1 000 row moves, alternating the Next button and the
// Down key, each with the window events processed after it as the program's event loop would.
// The floors are plain SQLite's share of the same: for the open, the count and the first row in
// stock-number order; for a move, stepping one row further through the screen's SELECT.
//
//   bench-browse [PRODUCTS [MOVES]]
//   bench-browse --growth [MOVES]
//
// With --growth the benchmark runs itself once for 10 000, 100 000 and 1 000 000 products and
// prints one line for each: "growth N: open T ms, move A ms, memory M MB".

#include "BenchSupport.h"
#include "core/base/Prompts.h"
#include "core/files/ProgramFolder.h"
#include "core/settings/SettingsStore.h"
#include "core/shell/CatalogueInUse.h"
#include "ui/browser/WebEngineView.h"
#include "ui/products/Products.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
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

// Runs this benchmark once per size in a process of its own, so that each size starts from a
// cold screen and its peak memory is its own, and prints the growth lines.
int growth(const QString& program, const QString& moves) {
    QTextStream out(stdout);
    for (const int size : {10000, 100000, 1000000}) {
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        run.start(program, {QString::number(size), moves});
        if (!run.waitForFinished(-1) || run.exitCode() != 0) {
            QTextStream(stderr) << "bench-browse: the run for " << size << " products failed\n";
            return 1;
        }
        const QString report = QString::fromUtf8(run.readAllStandardOutput());
        auto number = [&](const QString& prefix) {
            const QRegularExpression pattern(u"^"_s + QRegularExpression::escape(prefix) +
                                                 u" ([0-9.]+)"_s,
                                             QRegularExpression::MultilineOption);
            return pattern.match(report).captured(1);
        };
        out << "growth " << size << ": open " << number(u"open:"_s) << " ms, move "
            << number(u"move average:"_s) << " ms, memory " << number(u"peak memory:"_s) << " MB\n";
        out.flush();
    }
    return 0;
}

// The least plain SQLite does to show "Record 1 of N" with the first product: the count and the
// first row of the screen's SELECT.
double openFloor(const QString& catalogue) {
    bench::Stopwatch watch;
    CatalogueDatabase db(catalogue);
    bench::selectRowIds(db, u"SELECT count(*) FROM Products"_s);
    bench::selectRowIds(db, u"SELECT "_s + Products::PrimarySelect.mid(7) + u" LIMIT 1"_s);
    return watch.milliseconds();
}

// Stepping `moves` rows through the screen's SELECT with every column read: per row.
double moveFloor(const QString& catalogue, int moves) {
    CatalogueDatabase db(catalogue);
    const int columns = int(Products::PrimarySelect.count(u',')) + 1;
    bench::Stopwatch watch;
    SqliteStatement statement(bench::fileHandle(db), Products::PrimarySelect);
    int rows = 0;
    while (rows <= moves && statement.next()) {
        for (int c = 0; c < columns; ++c)
            statement.value(c, ColumnKind::Text);
        ++rows;
    }
    return watch.milliseconds() / std::max(moves, 1);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    WebEngineView::prepareApplication();
    QApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--growth")
        return growth(QApplication::applicationFilePath(),
                      argc > 2 ? QString::fromLocal8Bit(argv[2]) : u"1000"_s);
    const int products = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const int moves = argc > 2 ? QByteArray(argv[2]).toInt() : 1000;
    QTextStream out(stdout);

    QTemporaryDir folder;
    ProgramFolder::setOverride(folder.path());
    SettingsStore::setProgramFile(folder.filePath(u"settings.ini"_s));
    SilentPrompts prompts;
    const PromptsInUse promptsInUse{&prompts};
    const QString catalogue = folder.filePath(u"tovin2003-a.mde"_s);
    bench::generateCatalogue(catalogue, products);
    const CatalogueInUse inUse{catalogue};
    const double floorMs = openFloor(catalogue);

    // Open: until the first product is painted with its preview page loaded.
    bench::Stopwatch watch;
    ProductsOptions options;
    options.catalogue = &inUse;
    options.prompts = &promptsInUse;
    Products screen(options);
    bool previewShown = false;
    QObject::connect(screen.webView(), &WebView::navigateComplete, &screen,
                     [&](const QString& address) {
                         previewShown |= address.endsWith(u"page.htm"_s, Qt::CaseInsensitive);
                     });
    screen.resize(1000, 650);
    screen.show();
    while (!previewShown && watch.milliseconds() < 120000)
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    QApplication::processEvents();
    if (!previewShown) {
        QTextStream(stderr) << "bench-browse: the first preview was not shown\n";
        return 1;
    }
    const double openMs = watch.milliseconds();
    bench::printVersusFloor("open", openMs, floorMs);

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
    bench::printVersusFloor("move average", total / std::max(moves, 1),
                            moveFloor(catalogue, moves));
    out << "move worst: " << worst << " ms\n";

    // The row the user stopped on is the one the preview shows.
    screen.flushPreview();
    QFile page(ProgramFolder::path() + u"page.htm"_s);
    const QString stockNo = screen.primaryRecordSet()->value(u"StockNo"_s).toString();
    const bool current = page.open(QIODevice::ReadOnly) &&
                         QString::fromUtf8(page.readAll()).contains(u"alt=\""_s + stockNo + u'"');
    out << "status: " << screen.findChild<QLabel*>(u"lblStatus"_s)->text()
        << (current ? ", preview of " : ", preview NOT of ") << stockNo << "\n";
    out << "products: " << products << "\n";
    out << "peak memory: " << bench::peakMemoryMB() << " MB\n";
    return current ? 0 : 1;
}
