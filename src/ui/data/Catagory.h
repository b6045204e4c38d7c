#pragma once

#include "ui/data/RecordScreen.h"

namespace tovin {

// The category screen: table Catagory, one category per row, in CID order.
class Catagory : public RecordScreen {
    Q_OBJECT
public:
    explicit Catagory(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                      QWidget* parent = nullptr);
};

} // namespace tovin
