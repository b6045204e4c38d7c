#pragma once

#include <QString>

namespace tovin {

// The help pages the Products screen pages through instead of products while its catalogue is
// empty or "Show Help" is on: the demo main page (number -1) and the pages Help/intro0.htm to
// Help/intro6.htm (numbers 0 to 6). The navigation buttons move between them and stop at either
// end.
class HelpPages {
public:
    static constexpr int DemoPage = -1;
    static constexpr int LastPage = 6;
    enum class Move { First, Previous, Next, Last };

    // Whether the navigation buttons page through the help pages.
    bool active() const { return m_active; }
    void setActive(bool active) { m_active = active; }
    // After the products were read: help pages for an empty catalogue, but not for a search
    // that matched nothing, whose products the user changes or undoes with the searches.
    void followProducts(int count, bool filtered) { m_active = count < 1 && !filtered; }

    int number() const { return m_number; }
    // The page a move leads to from the one on show, within the demo page and the last page.
    int target(Move move) const;
    // Makes `number` the page on show.
    void showPage(int number) { m_number = number; }

    // The address of the page on show under the program folder (which ends in "/"), and the
    // status line that names it.
    QString address(const QString& appFolder) const;
    QString status() const;
    // The demo main page, shown as the preview while help is on.
    static QString demoAddress(const QString& appFolder);

private:
    bool m_active = false;
    int m_number = DemoPage;
};

} // namespace tovin
