#include "core/storage/CatalogueFailure.h"

#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin::DatabaseErrors {

bool isCatalogueFailure(int resultCode) {
    switch (resultCode & 0xff) {
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_NOMEM:
        return true;
    default:
        return false;
    }
}

QString plainWords(int resultCode) {
    switch (resultCode & 0xff) {
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        return u"The catalogue file cannot be written: it is read-only or its folder does not "
               u"allow changes."_s;
    case SQLITE_FULL:
        return u"The disk holding the catalogue is full; nothing more could be written."_s;
    case SQLITE_IOERR:
        return u"The disk reported an error while reading or writing the catalogue."_s;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return u"Another program kept the catalogue locked; it could not be written."_s;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return u"The catalogue file is damaged."_s;
    case SQLITE_NOMEM:
        return u"There was not enough memory to work on the catalogue."_s;
    default:
        return u"The catalogue refused the change."_s;
    }
}

void raise(int resultCode, const QString& what, const QString& databaseMessage) {
    if (isCatalogueFailure(resultCode))
        throw CatalogueFailure(ErrorNumber::DatabaseRefused,
                               plainWords(resultCode) + u" ("_s + databaseMessage + u')');
    throw StatementRefused(what, databaseMessage);
}

} // namespace tovin::DatabaseErrors
