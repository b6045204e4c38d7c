#pragma once

#include <QString>
#include <optional>

namespace tovin {

struct ThumbTicks;

// What the Products screen does with the addresses its web view reports: clicks on the tick
// boxes and pictures of the thumbnail page.
//
// A tick box of item k navigates to a made-up address ending in "Vex_k". Box k shows tick
// entry k - 1 (ThumbnailPage writes it so) and a click on it flips that entry.
class ThumbnailClicks {
public:
    // Whether the address is a tick-box click: a local address (a path or a file: URL) whose
    // last path segment has no "." and contains "_". Help pages (any address containing
    // "INTRO.HTM" in any letter case) and web addresses never are; a web address always named
    // a host with a dot in it, so folder names with dots are the only reason to look at the
    // last segment alone.
    static bool isTickBox(const QString& address);

    // The before-navigation rule. For a tick-box address: flips entry k - 1 of the ticks
    // between 0 and 1, makes it their last flipped entry, and returns true (the navigation
    // must be cancelled). A k without such an entry changes nothing but is still cancelled.
    // Any other address returns false.
    static bool beforeNavigate(const QString& address, ThumbTicks& ticks);

    // The navigation-complete rule for a click on a thumbnail picture: when the upper-cased
    // address contains ".JPG", ".GIF" or ".BMP", the picture's file name without its last four
    // characters (the text after the last "\", or else after the last "/"); otherwise none.
    static std::optional<QString> pictureStockNo(const QString& address);

    // The find condition that selects the product of a stock number.
    static QString stockNoCondition(const QString& stockNo);
};

} // namespace tovin
