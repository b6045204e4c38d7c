#pragma once

#include "core/storage/StorageConnection.h"

namespace tovin {

// A reader's transaction for as long as it lives: everything read through the connection comes
// from one state of the catalogue, without ever taking the writers' turn, so it is read while
// another program writes. It is always ended without saving: it only read, and whatever a
// statement in it might have tried to change is dropped.
class ReadSnapshot {
public:
    explicit ReadSnapshot(StorageConnection& connection) : m_connection(connection) {
        m_connection.begin(StorageConnection::Intent::Read);
    }
    ~ReadSnapshot() {
        try {
            m_connection.rollback();
        } catch (...) {
            // Nothing was kept through it, so nothing can be lost here.
        }
    }
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    StorageConnection& m_connection;
};

} // namespace tovin
