#pragma once

#include <QString>

// An internet address typed as the picture path of the products being edited. It names the
// folder only: the stock number and the picture type are added for each product, so a "/" at
// its end or a product's file name in it would give every product a wrong address.
namespace tovin::PictureAddress {

enum class Problem {
    None,
    EndsWithSlash,
    HoldsFileName, // the stock number shown, followed by a ".", in any letter case
};

// A trailing "/" is told first: taking it off may leave the file name to tell next.
Problem check(const QString& address, const QString& stockNo);

// What the user is told about a problem; nothing for None.
QString message(Problem problem);

} // namespace tovin::PictureAddress
