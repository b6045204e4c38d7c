#include "support/core/ProgramFaults.h"

#include "core/shell/ErrorReporting.h"

#include <QTest>

namespace tovin::test {

void failOnProgramFaults() {
    setProgrammingErrorHandler([](const QString& label, const QString& what) {
        const QString message =
            QStringLiteral("Program fault in ") + label + QStringLiteral(": ") + what;
        QTest::qFail(qPrintable(message), __FILE__, __LINE__);
    });
}

} // namespace tovin::test
