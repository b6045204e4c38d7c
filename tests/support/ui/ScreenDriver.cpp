#include "support/ui/ScreenDriver.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "support/core/TestProgramFolder.h"
#include "ui/shell/ChildWindows.h"

#include <QKeySequence>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test {

void quietenPlatformNotes() {
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.contains(u"propagateSizeHints"_s) &&
                !message.contains(u"support raise()"_s))
                previous(type, context, message);
        });
}

QVariant dbValue(const QString& sql, const QVariantList& values) {
    return CatalogueDatabase(TestProgramFolder::current().catalogue().path).scalar(sql, values);
}

void dbRun(const QString& sql, const QVariantList& values) {
    CatalogueDatabase(TestProgramFolder::current().catalogue().path).run(sql, values);
}

QString productColumn(const QString& column, const QString& stockNo) {
    return dbValue(u"SELECT "_s + column + u" FROM Products WHERE StockNo = ?"_s, {stockNo})
        .toString();
}

void pressKeys(QWidget* target, const QString& keys) {
    const QKeyCombination pressed = QKeySequence::fromString(keys)[0];
    QTest::keyClick(target, pressed.key(), pressed.keyboardModifiers());
}

QString focusName(QWidget* screen) {
    QWidget* focus = screen->window()->focusWidget();
    return focus ? focus->objectName() : QString();
}

void whenShown(const QString& name, std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, name, act] {
        if (QWidget* screen = ChildWindows::find(name); screen && screen->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(screen);
        }
    });
    timer->start();
}

} // namespace tovin::test
