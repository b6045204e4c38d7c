#pragma once

#include <QList>
#include <QPair>

class QGridLayout;
class QWidget;

namespace tovin {

// Places the Products screen's controls and follows the window size: the quick search at the
// top; the product and price boxes in two columns with the preview beside them and the stock
// boxes in their own frame on the right; the picture path box under them; the command buttons
// in two rows and the navigation with the status line at the bottom.
//
// The large preview takes the place of the product and price boxes (the stock frame stays);
// the grid, when shown, takes the place of boxes and preview together.
class ProductsLayout {
public:
    using Row = QPair<QWidget*, QWidget*>; // caption, box

    struct Controls {
        QList<QWidget*> searchRow;
        QList<Row> productRows;
        QList<Row> priceRows;
        QList<Row> stockRows;
        // Boxes of the rows above that hold words rather than figures: their caption goes on a
        // line of its own and the box takes the whole width under it.
        QList<QWidget*> wideBoxes;
        Row notesRow;
        QWidget* picturePath = nullptr;
        QWidget* preview = nullptr;
        QWidget* grid = nullptr;
        QList<QWidget*> recordButtons;
        QList<QWidget*> viewButtons;
        QList<QWidget*> taskButtons; // the catalogue-wide tasks, on a row of their own
        QList<QWidget*> navigation;  // the status line goes in the middle, stretched
        QWidget* status = nullptr;
    };

    ProductsLayout(QWidget* screen, const Controls& controls);

    void setLargePreview(bool large);
    bool largePreview() const { return m_large; }
    void setGridShown(bool shown);
    bool gridShown() const { return m_gridShown; }

private:
    QWidget* m_fields = nullptr;
    QWidget* m_detail = nullptr;
    QWidget* m_preview = nullptr;
    QWidget* m_grid = nullptr;
    QGridLayout* m_detailGrid = nullptr;
    bool m_large = false;
    bool m_gridShown = false;
};

} // namespace tovin
