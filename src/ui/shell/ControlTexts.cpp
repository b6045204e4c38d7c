#include "ui/shell/ControlTexts.h"

#include "core/shell/ErrorReporting.h"

#include <QApplication>
#include <QWidget>

namespace tovin {

void ApplyControlTexts(QWidget* form) {
    StepGuard step(QStringLiteral("ApplyControlTexts"), ErrorStyle::IgnoreAndResume);
    if (!form)
        return;
    step([form] {
        const QFont font = QApplication::font();
        form->setFont(font);
        // Controls with a font of their own set keep the shared face and size.
        for (QWidget* control : form->findChildren<QWidget*>()) {
            QFont own = control->font();
            own.setFamily(font.family());
            control->setFont(own);
        }
    });
}

} // namespace tovin
