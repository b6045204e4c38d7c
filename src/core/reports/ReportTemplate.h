#pragma once

#include <QString>
#include <QVariantMap>

namespace tovin {

// Renders a report's page: a Mustache template filled from the values (texts, and lists of
// maps for the sections). Every {{Field}} is HTML-escaped, so catalogue text from suppliers'
// files stays text. A template that does not parse raises a RunTimeError with the reason.
QString renderReportTemplate(const QString& page, const QVariantMap& values);

} // namespace tovin
