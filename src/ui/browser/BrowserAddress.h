#pragma once

#include <QString>
#include <QUrl>

// How the web view turns the address texts of the program into URLs and back.
namespace tovin::BrowserAddress {

// A text with a scheme ("https://...", "about:blank", "file:///...") is taken as it is. A web
// address typed without one ("www.example.com", "shop.example.net/catalog", "example.com:8080")
// gets "http://" in front, unless a file of that name exists or its ending is a file's
// ("page.htm", "AB7.jpg"). Anything else is a local file path, found the way
// ProgramFolder::resolveFile finds it (relative to the program folder, "\" accepted, letter case
// forgiven). An empty text gives an empty URL.
QUrl toUrl(const QString& address);

// True when two address texts lead to the same page the way the engine reports it: a trailing
// "/" or a default port added, the scheme or host in another case, a local path written another
// way.
bool sameAddress(const QString& first, const QString& second);

// The text the view reports for a URL: the path of a local file, the URL of anything else.
QString fromUrl(const QUrl& url);

// The tick boxes of generated pages navigate to made-up addresses such as "Vex_3": a local
// address whose last path segment has no "." and that names nothing on disk.
bool isPageSignal(const QUrl& url);

} // namespace tovin::BrowserAddress
