#pragma once

#include "core/storage/StorageDialect.h"

namespace tovin {

class PostgresDialect final : public StorageDialect {
public:
    QString rowKey() const override;
    QString largestRowKey(const QString& quotedTable) const override;
    QString largestKeyGiven(const QString& table, const QString& keyColumn) const override;
    QStringList moveKeysPast(const QString& table, const QString& keyColumn) const override;
    QString keyMarkHidden(const QString& table, const QString& keyColumn) const override;
    QString equalsIgnoringCase(const QString& left, const QString& right) const override;
    QString textOrder(const QString& quotedColumn) const override;
    // A condition true of a text holding the long s, which the program reads as an s.
    static QString holdsLongS(const QString& quotedColumn);
    QString likeIgnoringCase(const QString& text, const QString& pattern) const override;
    QString containsLongS(const QString& quotedColumn) const override;
    QVariant dateParameter(const QDate& date) const override;
    QString dateLiteral(const QDate& date) const override;
    QString insertUnlessPresent(const QString& quotedTable,
                                const QStringList& quotedColumns) const override;
    QString ignoringDuplicates(const QString& insert) const override;
    QString firstRowOfEach(const QString& columns, const QString& quotedTable,
                           const QString& quotedKeyColumn) const override;
    // The keys as an array of texts, written as the server reads one.
    QVariant keyList(const QStringList& keys) const override;
};

} // namespace tovin
