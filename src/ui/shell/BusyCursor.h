#pragma once

#include <QApplication>
#include <QCursor>

namespace tovin {

// The hourglass for the length of one action: set when made, taken back when it goes out of
// scope, so every path out of a handler (an error included) restores the pointer.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace tovin
