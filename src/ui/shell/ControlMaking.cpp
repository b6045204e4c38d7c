#include "ui/shell/ControlMaking.h"

#include <QPushButton>

namespace tovin {

QString indexedName(const QString& name, int index) {
    return name + u'(' + QString::number(index) + u')';
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& tip) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    if (!tip.isEmpty())
        button->setToolTip(tip);
    return button;
}

} // namespace tovin
