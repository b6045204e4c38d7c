#pragma once

#include "core/storage/StorageDialect.h"

namespace tovin {

class SqliteDialect final : public StorageDialect {
public:
    QString rowKey() const override;
    QString largestRowKey(const QString& quotedTable) const override;
    QString largestKeyGiven(const QString& table, const QString& keyColumn) const override;
    QStringList moveKeysPast(const QString& table, const QString& keyColumn) const override;
    QString equalsIgnoringCase(const QString& left, const QString& right) const override;
    QString textOrder(const QString& quotedColumn) const override;
    QString likeIgnoringCase(const QString& text, const QString& pattern) const override;
    QString containsLongS(const QString& quotedColumn) const override;
    QVariant dateParameter(const QDate& date) const override;
    QString dateLiteral(const QDate& date) const override;
    QString insertUnlessPresent(const QString& quotedTable,
                                const QStringList& quotedColumns) const override;
    QString ignoringDuplicates(const QString& insert) const override;
};

} // namespace tovin
