#pragma once

#include <QTest>
#include <QWidget>

namespace tovin::test {

// Finds the child control of a screen by its object name ("cmdAdd", "txtFields(8)") and fails
// the test when it is missing.
template <class T> T* control(QObject* screen, const QString& name) {
    T* found = screen->findChild<T*>(name);
    if (!found) {
        const QByteArray message = "No control named " + name.toUtf8();
        QTest::qFail(message.constData(), __FILE__, __LINE__);
    }
    return found;
}

// An indexed control array member: control<QLineEdit>(screen, "txtFields", 8).
template <class T> T* control(QObject* screen, const QString& name, int index) {
    return control<T>(screen, name + u'(' + QString::number(index) + u')');
}

} // namespace tovin::test
