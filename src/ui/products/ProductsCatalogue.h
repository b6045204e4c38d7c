#pragma once

#include "core/products/ThumbTicks.h"

#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <functional>

class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace tovin {

struct CatalogueInUse;
struct PageDesign;
struct PromptsInUse;

class RecordSet;
class WebView;

// What the catalogue panel uses of the screen it sits on, handed over when it is made.
struct CatalogueHost {
    // The panel's parent: it stands at the screen's right edge and follows its size.
    QWidget* screen = nullptr;
    // The view the pages, their progress and the thumbnails are shown in.
    WebView* webView = nullptr;
    std::function<QString(const QString& procedure)> procedureLabel;
    std::function<void(const QString& text)> showStatus;
    // The screen's products; asked each time, as the screen opens its record sets anew.
    std::function<RecordSet*()> records;
    // The catalogue the screen has open, which the pages name as their source.
    const CatalogueInUse* catalogue = nullptr;
    // Where the panel's questions and notices go, the screen's.
    const PromptsInUse* prompts = nullptr;
    // The options the pages are made by, which the page designer changes.
    PageDesign* pages = nullptr;
    // Puts the screen back on all products in its own order (the "Reset" button).
    std::function<void()> resetView;
    // Drops a pending preview, which would otherwise replace what a run writes in the view.
    std::function<void()> cancelPreview;
    // Set while a run moves through the products, so the screen leaves its boxes alone.
    bool* moving = nullptr;
    // Set while thumbnails are being written; cleared to stop them.
    bool* thumbnailsRunning = nullptr;
};

// The Products screen's web catalogue: the "Catalog" button with its panel Frame9 (the page
// list of the pages folder, deleting a page, "Page Setup Options" for the page designer and
// "Create The Catalog Pages"), the catalogue pages by page number (MakePage) with their
// progress written into the screen's web view, and the thumbnail page (MakeThumbs) with its
// size box and Cancel.
class ProductsCatalogue : public QObject {
    Q_OBJECT
public:
    explicit ProductsCatalogue(CatalogueHost host);

    // The buttons that go into the screen's row of view buttons: "Catalog", "Thumbnails" and
    // the thumbnail size box.
    QList<QWidget*> buttons() const;

    void MakePage();
    void MakeThumbs();

    // The pages folder: ProgramFolder::path() + "Pages/".
    static QString pagesFolder();

    bool eventFilter(QObject* watched, QEvent* event) override;

    // Hides the catalogue panel; false when it was not shown.
    bool closePanel();

    // The ticks of the thumbnail page, by the place of each product in the screen's products;
    // the screen unticks them all whenever it reads its products anew.
    ThumbTicks& ticks() { return m_ticks; }
    // The pictures of the first seven products by page number (entries 1 to 7), taken when
    // "Page Setup Options" opens the page designer.
    const std::array<QString, 8>& samplePictures() const { return m_samplePictures; }

private:
    void Command5_Click();
    void Command9_Click();
    void Command14_Click();
    void Command7_Click();
    void Command12_Click();
    void Command4_Click();
    void File1_DblClick();

    // The questions of MakePage; false when the user ended the run.
    bool askPageRange(int highest, int* from, int* to);
    bool askPageName(QString* name);
    void placePanel();
    void showStatus(const QString& text);

    CatalogueHost m_host;
    QPushButton* Command5 = nullptr; // "Catalog"
    QPushButton* Command4 = nullptr; // "Thumbnails" / "Cancel"
    QLineEdit* Text1 = nullptr;      // thumbnail size
    QGroupBox* Frame9 = nullptr;
    QListWidget* File1 = nullptr;
    ThumbTicks m_ticks;
    std::array<QString, 8> m_samplePictures;
};

} // namespace tovin
