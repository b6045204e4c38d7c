#include "core/products/ProductScreenSettings.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin::ProductScreenSettings {

namespace {
QString indexedKey(const QString& name, int n) {
    return name + u'(' + QString::number(n) + u')';
}
} // namespace

QString section() {
    return u"Settings"_s;
}

QString labelNameKey(int n) {
    return indexedKey(u"LabelName"_s, n);
}

QString hideTextKey(int n) {
    return indexedKey(u"HideText"_s, n);
}

} // namespace tovin::ProductScreenSettings
