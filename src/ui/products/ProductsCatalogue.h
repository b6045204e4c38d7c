#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace tovin {

class Products;

// The Products screen's web catalogue: the "Catalog" button with its panel Frame9 (the page
// list of the pages folder, deleting a page, "Page Setup Options" for the page designer and
// "Create The Catalog Pages"), the catalogue pages by page number (MakePage) with their
// progress written into the screen's web view, and the thumbnail page (MakeThumbs) with its
// size box and Cancel.
class ProductsCatalogue : public QObject {
    Q_OBJECT
public:
    explicit ProductsCatalogue(Products* screen);

    // The buttons that go into the screen's row of view buttons: "Catalog", "Thumbnails" and
    // the thumbnail size box.
    QList<QWidget*> buttons() const;

    void MakePage();
    void MakeThumbs();

    // The pages folder: AppFolder + "Pages/".
    static QString pagesFolder();

    bool eventFilter(QObject* watched, QEvent* event) override;

    // Hides the catalogue panel; false when it was not shown.
    bool closePanel();

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

    Products* m_screen;
    QPushButton* Command5 = nullptr; // "Catalog"
    QPushButton* Command4 = nullptr; // "Thumbnails" / "Cancel"
    QLineEdit* Text1 = nullptr;      // thumbnail size
    QGroupBox* Frame9 = nullptr;
    QListWidget* File1 = nullptr;
};

} // namespace tovin
