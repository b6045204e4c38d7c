#include "core/products/HelpPages.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

int HelpPages::target(Move move) const {
    switch (move) {
    case Move::First:
        return DemoPage;
    case Move::Last:
        return LastPage;
    case Move::Next:
        return std::clamp(m_number + 1, DemoPage, LastPage);
    case Move::Previous:
        return std::clamp(m_number - 1, DemoPage, LastPage);
    }
    return DemoPage;
}

QString HelpPages::address(const QString& appFolder) const {
    if (m_number < 0)
        return demoAddress(appFolder);
    return appFolder + u"Help/intro"_s + QString::number(m_number) + u".htm"_s;
}

QString HelpPages::status() const {
    return m_number < 0 ? u"Demo Main Page"_s : u"Page Number: "_s + QString::number(m_number + 1);
}

QString HelpPages::demoAddress(const QString& appFolder) {
    return appFolder + u"Help/demo.htm"_s;
}

} // namespace tovin
