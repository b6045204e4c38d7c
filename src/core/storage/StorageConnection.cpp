#include "core/storage/StorageConnection.h"

namespace tovin {

StorageStatement& StorageConnection::cached(const QString& sql) {
    auto it = m_cached.find(sql);
    if (it == m_cached.end())
        it = m_cached.insert(sql, std::shared_ptr<StorageStatement>(prepare(sql)));
    return **it;
}

} // namespace tovin
