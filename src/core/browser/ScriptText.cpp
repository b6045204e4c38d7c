#include "core/browser/ScriptText.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace tovin {

QString scriptString(const QString& text) {
    // JSON strings are valid script strings: the one-element array is written and its brackets
    // taken off.
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

} // namespace tovin
