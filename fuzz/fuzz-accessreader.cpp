// Access files from suppliers may be truncated or damaged: opening one and reading every table
// must end in rows or a run-time error, never a crash or an endless read.
#include "core/access/AccessDatabase.h"
#include "core/base/RunTimeError.h"

#include <QFile>
#include <QTemporaryDir>

using namespace tovin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input.mdb"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        const AccessDatabase database(path);
        for (const QString& table : database.tableNames()) {
            database.columnNames(table);
            qint64 rows = 0;
            database.readRows(table, [&](const QStringList&) { return ++rows < 5000; });
        }
    } catch (const RunTimeError&) {
    }
    return 0;
}
