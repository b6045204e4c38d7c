#include "support/core/RefusingTrigger.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/storage/CatalogueLocation.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin::test {

void addRefusingTrigger(CatalogueDatabase& db, const QString& event, const QString& message,
                        const QString& condition) {
    const QString quotedMessage = u'\'' + QString(message).replace(u'\'', u"''"_s) + u'\'';
    if (!CatalogueLocation::isServer(db.path())) {
        db.run(u"CREATE TRIGGER refuse BEFORE "_s + event +
               (condition.isEmpty() ? QString() : u" WHEN "_s + condition) +
               u" BEGIN SELECT RAISE(ABORT, "_s + quotedMessage + u"); END"_s);
        return;
    }
    // A trigger on the server runs a function, and the function raises the message.
    db.run(u"CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RAISE "_s
           u"EXCEPTION "_s +
           quotedMessage + u"; END $$"_s);
    db.run(u"CREATE TRIGGER refuse BEFORE "_s + event + u" FOR EACH ROW"_s +
           (condition.isEmpty() ? QString() : u" WHEN ("_s + condition + u')') +
           u" EXECUTE FUNCTION refuse()"_s);
}

} // namespace tovin::test
