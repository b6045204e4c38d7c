#include "core/reports/ReportTemplate.h"

#include "core/base/RunTimeError.h"

#include <kainjow/mustache.hpp>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

using kainjow::mustache::data;

data toData(const QVariant& value);

data mapData(const QVariantMap& map) {
    data object{data::type::object};
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        object.set(it.key().toStdString(), toData(it.value()));
    return object;
}

data toData(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QVariantMap:
        return mapData(value.toMap());
    case QMetaType::QVariantList: {
        data list{data::type::list};
        for (const QVariant& item : value.toList())
            list.push_back(toData(item));
        return list;
    }
    case QMetaType::Bool:
        return data{value.toBool() ? data::type::bool_true : data::type::bool_false};
    default:
        return data{value.toString().toStdString()};
    }
}

} // namespace

QString renderReportTemplate(const QString& page, const QVariantMap& values) {
    kainjow::mustache::mustache tmpl{page.toStdString()};
    if (!tmpl.is_valid())
        throw RunTimeError(321, u"The report page cannot be used: "_s +
                                    QString::fromStdString(tmpl.error_message()));
    const std::string html = tmpl.render(mapData(values));
    if (!tmpl.is_valid())
        throw RunTimeError(321, u"The report page cannot be used: "_s +
                                    QString::fromStdString(tmpl.error_message()));
    return QString::fromStdString(html);
}

} // namespace tovin
