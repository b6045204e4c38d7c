#pragma once

class QMenu;

namespace tovin {

struct PromptsInUse;

// Adds the View menu's "Web Browser" entry (mnuViewWebBrowser, after the separator
// mnuViewBar0): it opens the browser screen at the address of its shop log-in. Nothing is added
// when the browser screen is not registered. A failure is told through `prompts`, which must
// outlive the menu.
void addWebBrowserEntry(QMenu* view, const PromptsInUse& prompts);

} // namespace tovin
