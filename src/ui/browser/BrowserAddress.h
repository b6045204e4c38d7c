#pragma once

#include <QString>
#include <QUrl>

// How the web view turns the address texts of the program into URLs and back.
namespace tovin::BrowserAddress {

// A text with a scheme ("https://...", "about:blank", "file:///...") is taken as it is, one
// starting with "www." gets "http://" in front, and anything else is a local file path, found
// the way ProgramFolder::resolveFile finds it (relative to the program folder, "\" accepted,
// letter case forgiven). An empty text gives an empty URL.
QUrl toUrl(const QString& address);

// The text the view reports for a URL: the path of a local file, the URL of anything else.
QString fromUrl(const QUrl& url);

// The tick boxes of generated pages navigate to made-up addresses such as "Vex_3": a local
// address whose last path segment has no "." and that names nothing on disk.
bool isPageSignal(const QUrl& url);

} // namespace tovin::BrowserAddress
