#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>
#include <array>
#include <cstdint>

namespace tovin {

class Prompts;

// The values through which the screens hand work to each other. One instance exists for the
// whole run (shared()); every value starts empty, zero or false.
struct SharedState {
    // Core values.
    QString AppFolder;      // the program folder, always ending in "/"
    QString PicturesFolder; // AppFolder + "pictures/"
    QString DBPath;         // full path of the catalogue file every data screen opens
    QObject* MainWindow = nullptr;
    QString WebAddress;       // address the web browser screen opens
    QString SupplierUserName; // member name handed to the supplier's web shop log-in
    QString SupplierPassword; // member password handed to the supplier's web shop log-in
    // The tax rate of the order being made, as a fraction (0.06 for 6 %), as the supplier's row
    // holds it. Money counts a double rate by the digits it is written with, so 0.06 taxes
    // 10.25 at 0.615 exactly; a narrower type would make it 0.0599999986 and lose the cent that
    // half rounds to.
    double SupplierTaxRate = 0;

    // Flags one screen sets and another waits for or tests.
    bool FirstActivation = false;
    bool EditProdOpen = false;
    bool SupplierScreenClosed = false;
    bool TipFromMenu = false;
    bool OrderFromCatalog = false;
    bool SaleFromInventory = false;
    bool SortDescending = false;

    // Values handed between the order, inventory, sales and Products screens.
    std::int16_t SoldQuantity = 0;
    QVariant ItemPrice;
    QString CurrentKey;
    // The stock number of a sale from stock, from the inventory screen to the sales screen
    // (kept apart from CurrentKey, which holds the number of an order that may be open at the
    // same time).
    QString SoldStockNo;
    std::int16_t OrderEntryState = 0;
    QString OrderFilter;
    std::array<QString, 8> OrderedItems;

    // Between the Products screen and the import screen.
    std::int16_t BuildMode = 0;

    // The current product selection and its sort.
    QString SearchWhere;
    QString SortOrder;
    bool DetailSearchActive = false;

    // The detailed search form's working values.
    QString SearchField;
    QString SearchOperator;
    QString SearchValueOpen;
    QString SearchValueClose;
    QString SearchChain;

    // The Products screen's help pages, tick boxes, supplier pick and label restore.
    bool HelpMode = false;
    std::int16_t HelpPageNumber = 0;
    QString HelpPageName;
    QVector<std::int16_t> ThumbChecked;
    std::int16_t ThumbIndex = 0;
    QString PickedSupplierName;
    bool RestoreLabelNames = false;
    std::array<QString, 8> SamplePictures;

    // Where questions and notices go (real dialogs in the program, a script in tests).
    Prompts* prompts = nullptr;
};

// The one shared state of the program.
SharedState& shared();

// The prompts of the shared state; with none set (no screen and no test script to answer),
// raises error 424 rather than asking nobody.
Prompts& requiredPrompts();

// Puts every value back to its start value, keeping the prompts, and lets waits run again
// (tests use this between cases).
void resetSharedState();

} // namespace tovin
