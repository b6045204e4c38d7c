#pragma once

#include "core/pages/PageProduct.h"
#include "support/core/CliRun.h"
#include "support/core/TestProgramFolder.h"

#include <QTest>

namespace tovin::test {

// The expected page kept beside the tests, with the program folder filled in.
inline QByteArray expectedPage(const QString& name, const QString& appFolder) {
    QByteArray bytes = fileBytes(testSourceDir() + QStringLiteral("/core/pages/expected/") + name);
    bytes.replace("%APPFOLDER%", appFolder.toUtf8());
    return bytes;
}

inline QByteArray joinedLines(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

inline PageProduct pageProduct(const QString& stockNo, const QString& page, const QString& picture,
                               const QVariant& retail, const QVariant& cost2,
                               const QString& desc = QString()) {
    PageProduct p;
    p.StockNo = stockNo;
    p.ProdName = QStringLiteral("Item ") + stockNo;
    p.ProdDesc = desc;
    p.Picture = picture;
    p.PageNo = page;
    p.Retail = retail;
    p.Cost = {retail, cost2, {}, {}, {}};
    return p;
}

} // namespace tovin::test
