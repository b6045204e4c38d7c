#pragma once

class QMenu;

namespace tovin {

// Adds the View menu's "Web Browser" entry (mnuViewWebBrowser, after the separator
// mnuViewBar0): it opens the browser screen at the address of its shop log-in. Nothing is added
// when the browser screen is not registered.
void addWebBrowserEntry(QMenu* view);

} // namespace tovin
