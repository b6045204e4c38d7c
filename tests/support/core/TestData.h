#pragma once

// The files under tests/data that some tests read.

#include <QFileInfo>
#include <QString>
#include <QTest>

namespace tovin::test {

inline QString testDataFile(const QString& relative) {
    return QStringLiteral(TOVIN_TESTDATA_DIR "/") + relative;
}

} // namespace tovin::test

// Fails the running test with the file's name when a test file is missing, before anything
// opens it: reading a missing file would raise an error that ends the whole test program.
#define REQUIRE_TEST_FILE(path)                                                                    \
    QVERIFY2(QFileInfo::exists(path), qPrintable(QStringLiteral("test file missing: ") + (path)))
