#pragma once

#include "core/products/HelpPages.h"
#include "ui/data/RecordScreen.h"
#include "ui/products/ProductsLayout.h"

#include <QMap>
#include <QSet>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QTableView;

namespace tovin {

class CoalescedAction;
struct OrderSession;
struct PageDesign;
struct SearchInForce;
struct SupplierShopLogin;
struct TaskScreenHandoff;
class ProductGridModel;
class ProductsCatalogue;
class ProductsHelpPages;
class ProductsOrdering;
class ProductsSupplierPicker;
struct CatalogueHost;
class WebView;

// What the Products screen is made with.
struct ProductsOptions {
    // The catalogue the screen opens, the shell's open one; a screen made without one opens none.
    const CatalogueInUse* catalogue = nullptr;
    // Where its questions and notices go, the shell's; a screen made without any asks nobody.
    const PromptsInUse* prompts = nullptr;
    // Makes the web view the screen shows its pages in; empty for the real engine.
    std::function<WebView*(QWidget* parent)> makeWebView;
    // The screen opens with the large preview over the boxes ("Edit Mode" shows them), or with
    // the small preview beside them.
    bool largePreview = true;
    // The order being taken, shared with the order screens; a screen made without one keeps
    // one of its own.
    OrderSession* order = nullptr;
    // The search in force, which the other screens work on; likewise one of its own without.
    SearchInForce* search = nullptr;
    // The catalogue pages being designed, shared with the page designer; likewise.
    PageDesign* pages = nullptr;
    // The supplier's shop and log-in the browser screen opens; likewise one of its own without.
    SupplierShopLogin* shopLogin = nullptr;
    // What it hands its import, bulk edit and supplier screens; likewise one of its own without.
    TaskScreenHandoff* tasks = nullptr;
};

// The program's main working screen: one product of table Products at a time, with the quick
// and advanced search, the grid, the preview of the current product in the web view Wb1, the
// help pages of an empty catalogue, and the supplier buttons.
//
// It is a record maintenance screen with these differences: its boxes are numbered by the
// position of their column in its own SELECT (box 27 is StockNo, box 28 Supplier), Add and Edit
// leave the status line alone, Update writes, re-reads the catalogue and stays on the product
// just written, and while the catalogue is empty (or "Show Help" was pressed) the navigation
// buttons page through the help pages instead of the rows.
//
// Moving through the rows writes the preview page only for the row the user stops on, a
// moment after the last move; flushPreview() writes a pending one at once.
class Products : public RecordScreen {
    Q_OBJECT
    // It works the screen's own record commands and boxes.
    friend class ProductsOrdering;
    friend class ProductsSupplierPicker;

public:
    // The address cmdSup(1) opens for a supplier without a web page of its own: the setting
    // "SupplierShop" of section "Settings", by default http://www.example.com/shop.
    static QString defaultShopAddress();

    explicit Products(const ProductsOptions& options = {}, QWidget* parent = nullptr);
    ~Products() override;

    // Procedures other screens call.
    void cmdSearch_Click();
    void SearchForIt();
    void ShowPicture();
    // Opens the catalogue and the record sets anew (after a bulk change); filter and sort go.
    void ReBuildDB();
    // Makes `where` the search in force and shows its products, read anew: how a task hands
    // this screen the products it found (the import's products under the minimum margin).
    // While the screen waits for that task's screen, they show once it has read the catalogue
    // again. False while a product is being added or edited: nothing changes then.
    bool showSelection(const QString& where);

    // Writes a preview that is waiting for the rows to settle now.
    void flushPreview();
    WebView* webView() const { return m_webView; }
    RecordSet* gridRecordSet() const { return m_gridRS; }

    static const QString PrimarySelect;
    static const QString GridSelect;

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void adoPrimaryRS_MoveComplete() override;
    void cmdAdd_Click() override;
    void cmdEdit_Click() override;
    void cmdUpdate_Click() override;
    void cmdRefresh_Click() override;
    void cmdClose_Click() override;
    void cmdFirst_Click() override;
    void cmdLast_Click() override;
    void cmdNext_Click() override;
    void cmdPrevious_Click() override;
    void SetButtons(bool browse) override;
    bool Form_KeyDown(int key, int shift) override;
    QString deleteQuestion() const override;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildBoxes();
    void buildControls(const ProductsOptions& options);
    void buildGrid();
    void addFieldRows(ProductsLayout::Controls& c);
    void connectControls();
    QPushButton* makeButton(const QString& name, const QString& caption);

    // Event procedures of this screen.
    void Form_Paint();
    void Form_GotFocus();
    bool Form_QueryUnload();
    void cmdDetSearch_Click();
    void cmdReset_Click();
    void cmdGrid_Click();
    void grdDataGrid_Click();
    void grdDataGrid_RowColChange(int row);
    void cmdShowPic_Click();
    void cmdShowPicPath_Click();
    void Command16_Click();
    void cmdSup_Click(int index);
    void txtFields_Click(int index);
    void txtFields_KeyUp(int index);
    void Wb1_BeforeNavigate(const QString& address, bool* cancel);
    void Wb1_NavigateComplete(const QString& address);
    void Wb1_NavigateError(const QString& address);
    // The catalogue-wide tasks (ProductsBuild.cpp): import, delete all, bulk edit, export.
    QList<QWidget*> buildCatalogueTaskButtons();
    // The catalogue panel's view of this screen.
    CatalogueHost catalogueHost();
    void cmdEditRec_Click();
    void cmdAddAll_Click();
    void cmdDAll_Click();
    void Command3_Click();
    void reopenAfterImport();
    bool importScreenAlreadyOpen(StepGuard& step);
    bool waitForTaskScreen(StepGuard& step, const QString& name,
                           const std::function<bool()>& done = {});
    void enableCatalogueTasks();

    // Pieces of the procedures above.
    void writePreview();
    bool pageHelp(HelpPages::Move move, const QString& procedure);
    void refuseSearch(const RunTimeError& error);
    // Add and Edit show the boxes: the large preview gives way to them.
    void showEditLayout();
    // Whether the searches can run: rows to search, or a search to undo.
    bool canSearch() const;
    void openRecordSets();
    void reopenPrimary();
    // Reads the products again under the search in force and returns to the one on show.
    void rereadKeepingPlace(StepGuard& step);
    void followInGrid();
    void showGridRow();
    void setGridShown(bool shown);
    bool gridShown() const;
    void syncGridSelection();
    bool orderIsOpen() const;

    // While an order is open no product is added, edited or deleted.
    void hideRowChangesWhileOrderOpen();
    void showStoredCaptions();
    void showRestoredBoxes();

    // Label captions as designed, by index (the settings may rename them).
    QMap<int, QString> m_defaultCaptions;
    // Boxes the stored settings hid on the first paint.
    QSet<int> m_hiddenBySetting;

    // The controls; their object names are the control names other code and tests look for.
    WebView* m_webView = nullptr; // "Wb1"
    RecordSet* m_gridRS = nullptr;
    QTableView* m_grid = nullptr; // "grdDataGrid"
    ProductGridModel* m_gridModel = nullptr;
    std::unique_ptr<ProductsLayout> m_layout;
    CoalescedAction* m_preview = nullptr;
    ProductsCatalogue* m_catalogue = nullptr;
    ProductsHelpPages* m_help = nullptr;
    ProductsOrdering* m_ordering = nullptr; // "Order Item", "Order Done", "Re-Order List"
    ProductsSupplierPicker* m_supplierPicker = nullptr;

    QLineEdit* m_quickSearchBox = nullptr;         // "txtSrch"
    QPushButton* m_quickSearchButton = nullptr;    // "cmdSearch", "Quick Search"
    QPushButton* m_advancedSearchButton = nullptr; // "cmdDetSearch", "Advanced Search"
    QPushButton* m_resetButton = nullptr;          // "cmdReset", "Reset Data"
    QPushButton* m_gridButton = nullptr;           // "cmdGrid", "Show Grid" / "Hide Grid"
    QPushButton* m_previewSizeButton = nullptr;    // "cmdShowPic", "Edit Mode" / "View Mode"
    QPushButton* m_picturePathButton = nullptr;    // "cmdShowPicPath"
    QPushButton* m_showHelpButton = nullptr;       // "Command16", "Show Help" / "Hide Help"
    QPushButton* m_supplierButton = nullptr;       // "cmdSup(0)", "  Supplier:"
    QPushButton* m_supplierShopButton = nullptr;   // "cmdSup(1)", "WebPage"
    QPushButton* m_editAllButton = nullptr;        // "cmdEditRec", "Edit All Items"
    QPushButton* m_deleteAllButton = nullptr;      // "cmdDAll", "Delete All"
    QPushButton* m_buildButton = nullptr;          // "cmdAddAll", "Build/Options"
    QPushButton* m_exportButton = nullptr;         // "Command3", "Export DB"

    bool m_gridClicked = false;
    // Set while a thumbnail page is being made (the thumbnail button reads "Cancel"); a click on
    // one of its pictures then selects that product.
    bool m_thumbnailFlag = false;
    bool m_firstPaint = true;
    // The search a task's screen handed over while this screen waited for it (showSelection).
    QString m_selectionAfterTask;
    std::unique_ptr<OrderSession> m_ownOrder;
    OrderSession* m_order = nullptr; // options.order, or m_ownOrder
    std::unique_ptr<SearchInForce> m_ownSearch;
    SearchInForce* m_search = nullptr; // options.search, or m_ownSearch
    std::unique_ptr<PageDesign> m_ownPages;
    PageDesign* m_pages = nullptr; // options.pages, or m_ownPages
    std::unique_ptr<SupplierShopLogin> m_ownShopLogin;
    SupplierShopLogin* m_shopLogin = nullptr; // options.shopLogin, or m_ownShopLogin
    std::unique_ptr<TaskScreenHandoff> m_ownTasks;
    TaskScreenHandoff* m_tasks = nullptr; // options.tasks, or m_ownTasks
};

} // namespace tovin
