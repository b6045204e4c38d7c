#pragma once

#include "ui/data/RecordScreen.h"

class QLineEdit;

namespace tovin {

// A record screen of the order tables (Orders, Invoice) with the "Order number" search row above
// its boxes: Search, or Enter in the box, goes to the first row of that order number.
class OrderSearchScreen : public RecordScreen {
    Q_OBJECT
public:
    using RecordScreen::RecordScreen;

protected:
    // Puts the search row at the top of the screen; called once while the screen is built.
    void buildOrderSearch();

private:
    void cmdSearch_Click();

    QLineEdit* txtSrch = nullptr;
    QPushButton* cmdSearch = nullptr;
};

} // namespace tovin
