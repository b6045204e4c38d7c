#pragma once

class QWebEngineProfile;

// The profile of the program's own web views. The web browser screen has a profile of its own
// (BrowserProfile), so that nothing (cookies, cache, rules) passes between them.
namespace tovin::WebEngineProfiles {

// The CONFINED profile, for the program's own views (the Products screen's Wb1, the page
// designer's Wb3): they show pages the program writes from catalogue text, and that text comes
// from suppliers' files. A page there reads files under the program folder only and reaches no
// network address, WebSockets included (see ConfinedRequests). A web address the program itself
// opens (the supplier's shop) still loads, and that site then works as on the web. Nothing is
// kept on disk.
QWebEngineProfile* confined();

} // namespace tovin::WebEngineProfiles
