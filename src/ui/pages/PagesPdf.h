#pragma once

#include "core/files/OutputFile.h"

#include <QString>
#include <QStringList>

namespace tovin {

// A printable catalogue: written pages rendered through the web engine into one PDF file, each
// catalogue page starting on a PDF page of its own, pictures included. Scripts do not run while
// the pages are rendered (product texts are written into them as they came from the supplier).
//
// Needs a QApplication. Returns false and says why in `error` when a page could not be loaded
// or the PDF could not be written, or the rules refuse the file; a failed run leaves an earlier
// file of that name as it was and no partial file behind.
bool printPagesToPdf(const QStringList& pageFiles, const QString& pdfFile, const OutputRules& rules,
                     QString* error);

// The same for pages given as their HTML, which name their pictures and buttons from `folder`.
bool printHtmlPagesToPdf(const QStringList& pages, const QString& folder, const QString& pdfFile,
                         const OutputRules& rules, QString* error);

} // namespace tovin
