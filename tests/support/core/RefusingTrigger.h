#pragma once

// A trigger that makes the catalogue refuse some writes with a message of the shop's own, as a
// rule a shop adds to its catalogue would, spelt for the engine the catalogue is on.

#include <QString>

namespace tovin {
class CatalogueDatabase;
}

namespace tovin::test {

// Refuses every write of `event` ("INSERT ON Products", "UPDATE OF \"Date Received\" ON
// Orders"), or only those of the rows meeting `condition` (on new. or old.), with `message`.
void addRefusingTrigger(CatalogueDatabase& db, const QString& event, const QString& message,
                        const QString& condition = QString());

} // namespace tovin::test
