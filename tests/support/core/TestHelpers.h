#pragma once

// Small helpers most core tests need: the error an action raises, and whole files written and
// read back.

#include "core/base/RunTimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <functional>

namespace tovin::test {

// The number of the RunTimeError the action raises (0 when it raises none), and its text.
inline int errorOf(const std::function<void()>& action, QString* description = nullptr) {
    try {
        action();
    } catch (const RunTimeError& e) {
        if (description)
            *description = e.description();
        return e.number();
    }
    return 0;
}

// Writes the bytes as the whole file (making its folder) and returns its path.
inline QString writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

// The whole file, or "<missing>" when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace tovin::test
