#include "core/text/NearestName.h"

#include <QList>
#include <algorithm>

namespace tovin::TextRules {

namespace {

// The number of single letters added, left out or changed that turn one word into the other.
qsizetype editDistance(const QString& from, const QString& to) {
    QList<qsizetype> previous(to.size() + 1);
    QList<qsizetype> current(to.size() + 1);
    for (qsizetype j = 0; j <= to.size(); ++j)
        previous[j] = j;
    for (qsizetype i = 1; i <= from.size(); ++i) {
        current[0] = i;
        for (qsizetype j = 1; j <= to.size(); ++j) {
            const qsizetype changed = previous[j - 1] + (from.at(i - 1) == to.at(j - 1) ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, changed});
        }
        std::swap(previous, current);
    }
    return previous[to.size()];
}

} // namespace

QString nearestName(const QString& typed, const QStringList& names) {
    const QString folded = typed.trimmed().toCaseFolded();
    QString nearest;
    qsizetype best = -1;
    for (const QString& name : names) {
        const qsizetype distance = editDistance(folded, name.toCaseFolded());
        if (best < 0 || distance < best) {
            best = distance;
            nearest = name;
        }
    }
    return nearest;
}

} // namespace tovin::TextRules
