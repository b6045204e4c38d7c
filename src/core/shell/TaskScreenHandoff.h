#pragma once

#include <cstdint>

namespace tovin {

// How the Products screen and the main window hand work to their task screens (import, bulk
// edit, supplier) and learn that it is done. The window's shell owns one and gives it to each of
// those screens; every value starts zero or false.
struct TaskScreenHandoff {
    // The page the import screen opens on: 1 the page of its tasks (File > Import, "Build/
    // Options"), 0 the page deleting the selection ("Delete All"). The import screen sets it
    // back to 0 as it closes.
    std::int16_t buildMode = 0;
    // Set by the Products screen while it waits for the bulk edit screen, which clears it as it
    // closes.
    bool editProdOpen = false;
    // Set by the supplier screen when it is cancelled or closed; the screen waiting for the
    // user's choice of supplier clears it before and after its wait.
    bool supplierScreenClosed = false;
};

} // namespace tovin
