#include "ui/products/Products.h"

#include "core/base/EventWait.h"
#include "core/base/Prompts.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/orders/OrderSession.h"
#include "core/pages/PageDesign.h"
#include "core/products/CoalescedAction.h"
#include "core/products/PreviewPage.h"
#include "core/products/ProductScreenSettings.h"
#include "core/products/SearchInForce.h"
#include "core/products/SupplierShopLogin.h"
#include "core/settings/SettingsStore.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "core/shell/TaskScreenHandoff.h"
#include "core/storage/CatalogueLocation.h"
#include "core/text/ValueText.h"
#include "ui/browser/WebEngineView.h"
#include "ui/data/BoundCheckBox.h"
#include "ui/data/BoundTextBox.h"
#include "ui/data/RecordBinding.h"
#include "ui/products/MemoView.h"
#include "ui/products/PreviewFollower.h"
#include "ui/products/ProductBoxes.h"
#include "ui/products/ProductGridModel.h"
#include "ui/products/ProductsCatalogue.h"
#include "ui/products/ProductsHelpPages.h"
#include "ui/products/ProductsLayout.h"
#include "ui/products/ProductsOrdering.h"
#include "ui/products/ProductsSupplierPicker.h"
#include "ui/shell/BusyCursor.h"
#include "ui/shell/ControlTexts.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString ProductsSettings = u"Settings"_s;
const QString ViewMode = u"View Mode"_s;
const QString EditMode = u"Edit Mode"_s;

// What a screen made without the shell's catalogue opens: nothing.
const CatalogueInUse& noCatalogue() {
    static const CatalogueInUse none;
    return none;
}

const PromptsInUse& noPrompts() {
    static const PromptsInUse none;
    return none;
}

// The part of the shell's state the screen was given, or else one of its own, kept in `own`.
template <class Part> Part* givenOrOwn(Part* given, std::unique_ptr<Part>& own) {
    if (given)
        return given;
    own = std::make_unique<Part>();
    return own.get();
}

} // namespace

const QString Products::PrimarySelect =
    u"select PID,Catagory,Cost1,Cost2,Cost3,Cost4,Cost5,Disco,Inventory,MinOrdR,MinOrdW,NoSold,"
    u"Notes,OnOrder,OnSpecial,Orderable,OutStock,Packaging,PageNo,Picture,Price,ProdDesc,ProdName,"
    u"ReOrder,Retail,Ship1,Ship2,StockNo,Supplier,Taxable,Weight from Products order by StockNo"_s;

const QString Products::GridSelect =
    u"select StockNo,ProdName,Catagory,Cost1,Retail,Cost2,Cost3,Cost4,Cost5,Disco,Inventory,"
    u"MinOrdR,MinOrdW,NoSold,Notes,OnOrder,OnSpecial,Orderable,OutStock,Packaging,PageNo,Picture,"
    u"Price,ProdDesc,ReOrder,Ship1,Ship2,Supplier,Taxable,Weight,PID from Products order by "
    u"StockNo"_s;

QString Products::defaultShopAddress() {
    // A shop whose supplier rows carry no web page can name its usual shop front here.
    return SettingsStore::program().value(ProductsSettings, u"SupplierShop"_s,
                                          u"http://www.example.com/shop"_s);
}

Products::Products(const ProductsOptions& options, QWidget* parent)
    : RecordScreen(options.catalogue ? *options.catalogue : noCatalogue(),
                   options.prompts ? *options.prompts : noPrompts(), u"Products"_s, u"Products"_s,
                   PrimarySelect, parent) {
    m_order = givenOrOwn(options.order, m_ownOrder);
    m_search = givenOrOwn(options.search, m_ownSearch);
    m_pages = givenOrOwn(options.pages, m_ownPages);
    m_shopLogin = givenOrOwn(options.shopLogin, m_ownShopLogin);
    m_tasks = givenOrOwn(options.tasks, m_ownTasks);
    m_gridRS = new RecordSet(this);
    // A key held down repeats faster than this, so only the row it stops on is rendered.
    m_preview = new CoalescedAction([this] { writePreview(); }, 100, this);
    buildBoxes();
    buildControls(options);
    m_supplierPicker = new ProductsSupplierPicker(*this);
    new PreviewFollower(adoPrimaryRS, m_webView, m_preview, this);
    Form_Load();
}

Products::~Products() {
    // The grid's record set reads through the screen's connection, which the base closes.
    m_grid->setModel(nullptr);
    delete m_gridModel;
    delete m_gridRS;
    m_gridRS = nullptr;
}

// ---- Building ------------------------------------------------------------------------------

void Products::buildBoxes() {
    for (const ProductBox& field : ProductBox::all()) {
        if (field.checkBox) {
            addCheckBox(field.index, field.column, field.caption);
        } else {
            BoundTextBox* box =
                addTextBox({field.index,
                            field.column,
                            field.caption,
                            {},
                            field.money ? DisplayFormat::Currency : DisplayFormat::Plain});
            // Narrow enough that the whole screen fits an 800 pixel wide main window.
            box->setMinimumWidth(field.group == ProductBox::Group::Stock ? 64 : 90);
        }
        if (field.caption.isEmpty())
            lblLabels(field.index)->hide();
        else
            m_defaultCaptions.insert(field.index, field.caption);
    }
    // Stock Status holds words ("Back Ordered", "Discontinued by maker"), not a count: it takes
    // the whole width of the stock frame (see buildControls), and its tip the whole text.
    BoundTextBox* status = txtFields(ProductBox::OutStock);
    connect(status, &QLineEdit::textChanged, status, &QWidget::setToolTip);
    txtFields(ProductBox::Picture)->setPlaceholderText(u"Picture path"_s);
    txtFields(ProductBox::Picture)->hide();
    txtFields(ProductBox::Supplier)->installEventFilter(this);
}

QPushButton* Products::makeButton(const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

void Products::buildControls(const ProductsOptions& options) {
    cmdAdd->setText(u"&Add 1 New"_s);
    cmdEdit->setText(u"&Edit This"_s);
    cmdDelete->setText(u"&Delete This"_s);
    cmdRefresh->setText(u"&Refresh All"_s);

    m_quickSearchBox = new QLineEdit(this);
    m_quickSearchBox->setObjectName(u"txtSrch"_s);
    m_quickSearchBox->setPlaceholderText(u"Stock number"_s);
    m_quickSearchBox->setMinimumWidth(200);
    m_quickSearchBox->installEventFilter(this);
    m_quickSearchButton = makeButton(u"cmdSearch"_s, u"Quick Search"_s);
    m_advancedSearchButton = makeButton(u"cmdDetSearch"_s, u"Advanced Search"_s);
    m_resetButton = makeButton(u"cmdReset"_s, u"Reset Data"_s);
    m_gridButton = makeButton(u"cmdGrid"_s, u"Show Grid"_s);
    m_previewSizeButton = makeButton(u"cmdShowPic"_s, options.largePreview ? EditMode : ViewMode);
    m_picturePathButton = makeButton(u"cmdShowPicPath"_s, u"Picture Path Hide/Show"_s);
    m_showHelpButton = makeButton(u"Command16"_s, u"Show Help"_s);
    m_ordering = new ProductsOrdering(*this, *m_order);
    m_supplierButton = makeButton(u"cmdSup(0)"_s, u"  Supplier:"_s);
    m_supplierShopButton = makeButton(u"cmdSup(1)"_s, u"WebPage"_s);
    for (QPushButton* b : {m_supplierButton, m_supplierShopButton})
        b->setToolTip(u"Click To Edit Supplier Information"_s);

    m_webView = options.makeWebView ? options.makeWebView(this) : new WebEngineView(this);
    m_webView->setParent(this);
    m_webView->setObjectName(u"Wb1"_s);
    m_help = new ProductsHelpPages({m_webView, [this](const QString& text) { showStatus(text); },
                                    [this] { m_preview->cancel(); }},
                                   this);

    buildGrid();

    releaseFrameLayout();
    ProductsLayout::Controls c;
    c.searchRow = {m_quickSearchBox, m_quickSearchButton, m_advancedSearchButton};
    c.wideBoxes = {txtFields(ProductBox::OutStock)};
    addFieldRows(c);
    c.preview = m_webView;
    c.grid = m_grid;
    c.recordButtons = {cmdAdd,
                       cmdEdit,
                       cmdDelete,
                       cmdUpdate,
                       cmdCancel,
                       cmdRefresh,
                       cmdClose,
                       m_ordering->orderItemButton(),
                       m_ordering->orderDoneButton()};
    c.viewButtons = {m_gridButton,     m_previewSizeButton, m_picturePathButton,
                     m_showHelpButton, m_resetButton,       m_ordering->reorderButton()};
    // Three rows keep every button whole in a main window of 800 pixels.
    c.taskButtons = buildCatalogueTaskButtons();
    m_catalogue = new ProductsCatalogue(catalogueHost());
    c.taskButtons << m_catalogue->buttons();
    c.navigation = {cmdFirst, cmdPrevious, lblStatus, cmdNext, cmdLast};
    c.status = lblStatus;
    m_layout = std::make_unique<ProductsLayout>(contentWidget(), c);
    m_layout->setLargePreview(options.largePreview);
    if (options.largePreview)
        txtFields(ProductBox::Notes)->hide();
    resize(sizeHint().expandedTo(QSize(960, 600)));

    connectControls();
}

void Products::buildGrid() {
    m_grid = new QTableView(this);
    m_grid->setObjectName(u"grdDataGrid"_s);
    m_gridModel = new ProductGridModel(m_gridRS, this);
    m_grid->setModel(m_gridModel);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setAlternatingRowColors(true);
    m_grid->verticalHeader()->hide();
    m_grid->viewport()->installEventFilter(this);
}

// Each product box in its group of the layout, with its caption.
void Products::addFieldRows(ProductsLayout::Controls& c) {
    for (const ProductBox& field : ProductBox::all()) {
        QWidget* box = field.checkBox ? static_cast<QWidget*>(chkFields(field.index))
                                      : static_cast<QWidget*>(txtFields(field.index));
        ProductsLayout::Row row{lblLabels(field.index), box};
        if (field.index == ProductBox::Supplier) {
            auto* supplier = new QWidget(this);
            auto* line = new QHBoxLayout(supplier);
            line->setContentsMargins(0, 0, 0, 0);
            line->addWidget(box, 1);
            line->addWidget(m_supplierShopButton);
            row = {m_supplierButton, supplier};
        }
        switch (field.group) {
        case ProductBox::Group::Product:
            c.productRows << row;
            break;
        case ProductBox::Group::Prices:
            c.priceRows << row;
            break;
        case ProductBox::Group::Stock:
            c.stockRows << row;
            break;
        case ProductBox::Group::Notes: {
            // Notes hold many lines (each order, receipt and import appends one).
            auto* view = new MemoView(
                txtFields(field.index),
                [this, index = field.index](const QString& text) {
                    binding().setBoxValue(txtFields(index), text);
                },
                this);
            c.notesRow = {row.first, view->holder()};
            break;
        }
        case ProductBox::Group::PicturePath:
            c.picturePath = box;
            break;
        }
    }
}

void Products::connectControls() {
    connect(m_quickSearchButton, &QPushButton::clicked, this, [this] { cmdSearch_Click(); });
    connect(m_quickSearchBox, &QLineEdit::returnPressed, this, [this] {
        StepGuard step(procedureLabel(u"txtSrch_KeyPress"_s), promptsInUse());
        step([this] { cmdSearch_Click(); });
    });
    connect(m_advancedSearchButton, &QPushButton::clicked, this, [this] { cmdDetSearch_Click(); });
    connect(m_resetButton, &QPushButton::clicked, this, [this] { cmdReset_Click(); });
    connect(m_gridButton, &QPushButton::clicked, this, [this] { cmdGrid_Click(); });
    connect(m_previewSizeButton, &QPushButton::clicked, this, [this] { cmdShowPic_Click(); });
    connect(m_picturePathButton, &QPushButton::clicked, this, [this] { cmdShowPicPath_Click(); });
    connect(m_showHelpButton, &QPushButton::clicked, this, [this] { Command16_Click(); });
    connect(m_supplierButton, &QPushButton::clicked, this, [this] { cmdSup_Click(0); });
    connect(m_supplierShopButton, &QPushButton::clicked, this, [this] { cmdSup_Click(1); });
    connect(m_webView, &WebView::beforeNavigate, this,
            [this](const QString& address, bool* cancel) { Wb1_BeforeNavigate(address, cancel); });
    connect(m_webView, &WebView::navigateComplete, this,
            [this](const QString& address) { Wb1_NavigateComplete(address); });
    connect(m_webView, &WebView::navigateError, this,
            [this](const QString& address, int) { Wb1_NavigateError(address); });
    connect(m_gridRS, &RecordSet::moveComplete, this, [this] { syncGridSelection(); });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    grdDataGrid_RowColChange(current.row());
            });
    // A click on the row that is already current changes no row; it still picks that product.
    connect(m_grid, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            grdDataGrid_RowColChange(index.row());
    });
}

// ---- Load, activation, paint ---------------------------------------------------------------

void Products::Form_Load() {
    StepGuard step(procedureLabel(u"Form_Load"_s), promptsInUse());
    step([this] { m_help->startOver(); });
    step([this] { ApplyControlTexts(this); });
    step([this] { setWindowTitle(catalogueInUse().path); });
    step([this] { beginHourglass(); });
    step([this] {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
            frame->move(0, 0);
    });
    step([this] {
        if (CatalogueLocation::isMissingFile(catalogueInUse().path))
            promptsInUse().notice(u"Can't find the database file"_s + catalogueInUse().path);
    });
    step([this] { m_connection = std::make_unique<CatalogueDatabase>(catalogueInUse().path); });
    step([this] { adoPrimaryRS->open(PrimarySelect, connection()); });
    // The grid's own set is read when the grid is first shown (setGridShown): a screen that
    // never shows it opens in half the time and memory.
    step([this] { binding().bind(adoPrimaryRS); });
    step([this] { m_search->DetailSearchActive = false; });
    step([this] { applyProductsScreenDefaults(m_pages->options); });
    step([this] { m_catalogue->ticks().untickAll(adoPrimaryRS->recordCount() + 1); });
    // The first row arrived before the boxes were bound; show it once more with them.
    step([this] { adoPrimaryRS_MoveComplete(); });
    // The first preview is loading while the screen is laid out and shown; waiting for more
    // moves, as after a key press, would only delay it.
    step([this] { m_preview->flush(); });
}

void Products::Form_Activate() {
    RecordScreen::Form_Activate();
    StepGuard step(procedureLabel(u"Form_Activate"_s), promptsInUse());
    step([this] { txtFields(ProductBox::Picture)->hide(); });
    Form_GotFocus();
}

void Products::showEvent(QShowEvent* event) {
    RecordScreen::showEvent(event);
    if (!m_firstPaint)
        return;
    Form_Paint();
    // The main working screen opens over the whole work area of the main window.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        QPointer<QMdiSubWindow> guard(frame);
        QTimer::singleShot(0, this, [guard] {
            if (guard && guard->mdiArea() && !guard->isMaximized())
                guard->resize(guard->mdiArea()->viewport()->size());
        });
    }
}

// Label captions and box visibility as the user stored them, applied once before the screen is
// first drawn.
void Products::Form_Paint() {
    StepGuard step(procedureLabel(u"Form_Paint"_s), ErrorStyle::IgnoreAndResume);
    m_firstPaint = false;
    SettingsStore& settings = SettingsStore::program();
    for (int n = ProductScreenSettings::FirstBox; n <= ProductScreenSettings::LastBox; ++n) {
        if (m_defaultCaptions.contains(n))
            step([&] {
                QLabel* label = lblLabels(n);
                label->setText(settings.value(ProductScreenSettings::section(),
                                              ProductScreenSettings::labelNameKey(n),
                                              label->text()));
            });
        // The picture path box has its own Hide/Show button.
        BoundTextBox* box = txtFields(n);
        if (!box || n == ProductBox::Picture)
            continue;
        step([&] {
            if (settings.flag(ProductScreenSettings::section(),
                              ProductScreenSettings::hideTextKey(n), true))
                return;
            box->hide();
            lblLabels(n)->hide();
            m_hiddenBySetting.insert(n);
        });
    }
}

void Products::Form_GotFocus() {
    StepGuard step(procedureLabel(u"Form_GotFocus"_s), promptsInUse());
    step([this] { showStoredCaptions(); });
    if (!m_hiddenBySetting.isEmpty())
        step([this] { showRestoredBoxes(); });
}

// "Restore Label Names" in the main window stores the captions as designed; like every stored
// caption they show the next time the screen has the focus.
void Products::showStoredCaptions() {
    SettingsStore& settings = SettingsStore::program();
    for (auto it = m_defaultCaptions.cbegin(); it != m_defaultCaptions.cend(); ++it) {
        QLabel* label = lblLabels(it.key());
        const QString caption =
            settings.value(ProductScreenSettings::section(),
                           ProductScreenSettings::labelNameKey(it.key()), label->text());
        if (label->text() != caption)
            label->setText(caption);
    }
}

// "Restore Text Boxes" in the main window stores every box as visible again.
void Products::showRestoredBoxes() {
    SettingsStore& settings = SettingsStore::program();
    const QSet<int> hidden = m_hiddenBySetting;
    for (int n : hidden) {
        if (!settings.flag(ProductScreenSettings::section(), ProductScreenSettings::hideTextKey(n),
                           true))
            continue;
        m_hiddenBySetting.remove(n);
        txtFields(n)->show();
        if (QLabel* label = lblLabels(n); label && m_defaultCaptions.contains(n))
            label->show();
    }
}

bool Products::orderIsOpen() const {
    return m_ordering->orderIsOpen();
}

bool Products::Form_QueryUnload() {
    StepGuard step(procedureLabel(u"Form_QueryUnload"_s), ErrorStyle::IgnoreAndResume);
    if (!orderIsOpen())
        return true;
    step([this] {
        promptsInUse().notice(u"You Have An Open Order! Please Click On The 'Order Done' "
                              u"Button To Finish Your Last Order"_s);
    });
    return false;
}

void Products::closeEvent(QCloseEvent* event) {
    if (!Form_QueryUnload()) {
        event->ignore();
        return;
    }
    // A product being edited is saved, dropped or kept on show as the user answers.
    RecordScreen::closeEvent(event);
    if (event->isAccepted())
        m_preview->cancel();
}

void Products::SetButtons(bool browse) {
    RecordScreen::SetButtons(browse);
    StepGuard step(procedureLabel(u"SetButtons"_s), promptsInUse());
    // The searches and Reset Data move to other rows or re-read them: not while a product is
    // being typed, as the navigation buttons.
    step([&] {
        for (QWidget* w :
             {static_cast<QWidget*>(m_quickSearchBox), static_cast<QWidget*>(m_quickSearchButton),
              static_cast<QWidget*>(m_resetButton)})
            w->setEnabled(browse);
        m_advancedSearchButton->setEnabled(browse && canSearch());
    });
    step([this] { enableCatalogueTasks(); });
    step([this] { hideRowChangesWhileOrderOpen(); });
}

// The catalogue-wide tasks close and reopen the records when their screen is done, which would
// drop a product being typed: they wait until it is written or cancelled.
void Products::enableCatalogueTasks() {
    const bool browsing = !inEditMode();
    const bool anyShown = adoPrimaryRS->recordCount() > 0;
    m_buildButton->setEnabled(browsing);
    for (QPushButton* b : {m_editAllButton, m_deleteAllButton})
        b->setEnabled(browsing && anyShown);
}

// While an order is open its lines count on the products as they are: none is added, edited
// or deleted, one by one or all at once, until "Order Done".
void Products::hideRowChangesWhileOrderOpen() {
    const bool open = orderIsOpen();
    for (QPushButton* b : {m_editAllButton, m_deleteAllButton})
        b->setVisible(!open);
    if (open)
        for (QPushButton* b : {cmdAdd, cmdEdit, cmdDelete})
            b->hide();
}

// Escape closes the catalogue panel when it is open, not the screen behind it.
bool Products::Form_KeyDown(int key, int shift) {
    if (key == Qt::Key_Escape && m_catalogue->closePanel())
        return true;
    return RecordScreen::Form_KeyDown(key, shift);
}

bool Products::canSearch() const {
    return adoPrimaryRS->recordCount() > 0 || !adoPrimaryRS->filter().isEmpty();
}

QString Products::deleteQuestion() const {
    if (!adoPrimaryRS->hasCurrentRow() || adoPrimaryRS->isAdding())
        return RecordScreen::deleteQuestion();
    return u"Delete product "_s +
           TextRules::toText(adoPrimaryRS->value(int(ProductBox::StockNo))).trimmed() + u'?';
}

void Products::showEditLayout() {
    if (m_layout->largePreview())
        cmdShowPic_Click();
}

void Products::cmdClose_Click() {
    StepGuard step(procedureLabel(u"cmdClose_Click"_s), promptsInUse());
    // Closing asks Form_QueryUnload, which refuses while an order is open.
    step([this] { unloadScreen(); });
}

bool Products::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == txtFields(ProductBox::Supplier)) {
        // A click, Enter or F4 opens the supplier picker; Tab, Shift+Tab and the row keys only
        // pass through the box.
        auto opensPicker = [](const QKeyEvent* key) {
            return !key->isAutoRepeat() &&
                   (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                    key->key() == Qt::Key_F4);
        };
        // The picker waits for the supplier screen, and meanwhile this screen may be closed
        // (another catalogue opened): then the box and the screen are gone with the event.
        QPointer<Products> self(this);
        if (type == QEvent::MouseButtonRelease)
            txtFields_Click(ProductBox::Supplier);
        else if (type == QEvent::KeyRelease && opensPicker(static_cast<QKeyEvent*>(event)))
            txtFields_KeyUp(ProductBox::Supplier);
        if (!self)
            return true;
    }
    if (watched == m_grid->viewport() && type == QEvent::MouseButtonPress)
        grdDataGrid_Click();
    if (type == QEvent::FocusIn) {
        if (watched == m_quickSearchBox) {
            StepGuard step(procedureLabel(u"txtSrch_GotFocus"_s), promptsInUse());
            // After the click that gave the focus has placed the cursor.
            step([this] {
                QTimer::singleShot(0, m_quickSearchBox, [this] { m_quickSearchBox->selectAll(); });
            });
        }
        Form_GotFocus();
    }
    return RecordScreen::eventFilter(watched, event);
}

CatalogueHost Products::catalogueHost() {
    CatalogueHost host;
    host.screen = this;
    host.webView = m_webView;
    host.procedureLabel = [this](const QString& procedure) { return procedureLabel(procedure); };
    host.showStatus = [this](const QString& text) { showStatus(text); };
    host.records = [this] { return adoPrimaryRS; };
    host.catalogue = &catalogueInUse();
    host.prompts = &promptsInUse();
    host.pages = m_pages;
    host.resetView = [this] { cmdReset_Click(); };
    host.cancelPreview = [this] { m_preview->cancel(); };
    host.moving = &m_addingFlag;
    host.thumbnailsRunning = &m_thumbnailFlag;
    return host;
}

} // namespace tovin
