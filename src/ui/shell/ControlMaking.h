#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace tovin {

// The name of one control of a control array, as the screens and their settings know it:
// "txtFields(3)".
QString indexedName(const QString& name, int index);

// A push button named as the screen's code finds it. It never becomes the default button, so
// Enter in a box beside it does not press it.
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& tip = QString());

} // namespace tovin
