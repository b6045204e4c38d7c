#pragma once

// The files under tests/data that some tests read.

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTest>

namespace tovin::test {

inline QString testDataFile(const QString& relative) {
    return QStringLiteral(TOVIN_TESTDATA_DIR "/") + relative;
}

// The bytes of a test file with those from `at` on flipped (XOR) by `mask`: a real file damaged
// in a known way. Empty when the file is missing or too short for the flip.
inline QByteArray damagedTestFile(const QString& relative, qint64 at, QByteArrayView mask) {
    QFile file(testDataFile(relative));
    QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (at < 0 || at + mask.size() > bytes.size())
        return {};
    for (qsizetype i = 0; i < mask.size(); ++i)
        bytes[at + i] = char(bytes.at(at + i) ^ mask[i]);
    return bytes;
}

} // namespace tovin::test

// Fails the running test with the file's name when a test file is missing, before anything
// opens it: reading a missing file would raise an error that ends the whole test program.
#define REQUIRE_TEST_FILE(path)                                                                    \
    QVERIFY2(QFileInfo::exists(path), qPrintable(QStringLiteral("test file missing: ") + (path)))
