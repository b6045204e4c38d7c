#pragma once

#include "core/pages/DesignerPage.h"
#include "core/pages/PageOptions.h"

namespace tovin {

// The web catalogue pages being designed: the page options and where the page designer stands
// (its page, the pages' base name, the picking of products). The window's shell owns one: the
// Products screen sets its defaults when it loads and makes its catalogue pages by it, the page
// designer changes it, and both see the same.
struct PageDesign {
    PageOptions options;
    DesignerPage::State designer;
};

} // namespace tovin
