#include "core/bulkedit/PictureAddress.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin::PictureAddress {

Problem check(const QString& address, const QString& stockNo) {
    if (address.endsWith(u'/'))
        return Problem::EndsWithSlash;
    if (!stockNo.isEmpty() && address.contains(stockNo + u'.', Qt::CaseInsensitive))
        return Problem::HoldsFileName;
    return Problem::None;
}

QString message(Problem problem) {
    switch (problem) {
    case Problem::EndsWithSlash:
        return u"Right Now You Have A '/' At The End Of The Path You Typed...\n"
               u"Please REMOVE It Before Clicking The 'Update Now' Button"_s;
    case Problem::HoldsFileName:
        return u"You Have Included The File Name...\n"
               u"Please Remove It Before Clicking The 'Update Now' Button"_s;
    case Problem::None:
        break;
    }
    return {};
}

} // namespace tovin::PictureAddress
