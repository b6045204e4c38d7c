// The page designer's two ways of keeping its pages: Save Page writes the current page as a
// page file of the series, Save as PDF prints every page of the series into one PDF file.
#include "core/base/Prompts.h"
#include "core/base/RunTimeError.h"
#include "core/files/OutputQuestion.h"
#include "core/files/ProgramFolder.h"
#include "core/pages/PageOptions.h"
#include "core/shell/CatalogueInUse.h"
#include "core/shell/ErrorReporting.h"
#include "ui/pages/FrmPageMake.h"
#include "ui/pages/PagesPdf.h"
#include "ui/shell/BusyCursor.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

// The preview becomes the page file. An existing one is replaced after a Yes to "Replace
// NAME?", or at once while "Over=Write ANY Exhisting Pages Without Prompting!" is ticked; a
// file the output rules refuse (the catalogue, a device) is refused either way.
void FrmPageMake::savePage() {
    const DesignerPage::State& s = m_pages.designer;
    Prompts* prompts = m_prompts.current;
    if (!prompts)
        return;
    const QString name = DesignerPage::savedFileName(s.PageBaseName, s.CurrentPage);
    if (name.isEmpty()) {
        prompts->notice(u"The page name \""_s + s.PageBaseName +
                        u"\" cannot be used: it must not hold \"/\", \"\\\" or \"..\"."_s);
        return;
    }
    const QString target = ProgramFolder::path() + u"Pages/"_s + name;
    const OutputRules rules{m_catalogue.path};
    if (m_pages.options.OverwritePages) {
        if (const auto refused = OutputFile::refusal(target, rules)) {
            prompts->notice(*refused, MessageIcon::Exclamation, windowTitle());
            return;
        }
    } else if (!confirmOutput(*prompts, target, rules, windowTitle())) {
        return;
    }
    try {
        OutputFile::copy(samplePath(), target, rules);
    } catch (const RunTimeError& error) {
        prompts->notice(u"The page could not be saved as "_s + target + u": "_s +
                        error.description());
    }
}

// Every page of the series, as Save Page would write it, printed into one PDF file.
void FrmPageMake::savePdf() {
    StepGuard step(procedureLabel(u"savePdf"_s), m_prompts);
    Prompts* prompts = m_prompts.current;
    if (!prompts)
        return;
    const QString file = prompts->saveFile(
        {m_pages.designer.PageBaseName + u".pdf"_s, u"PDF Files|*.pdf"_s, u"Save as PDF"_s, {}});
    if (file.isEmpty())
        return;
    DesignerPage::State s = m_pages.designer;
    s.SelectItemsMode = false;
    QStringList pages;
    const int total = DesignerPage::pageCount(
        s.OnlySelectedItems ? m_selected : int(m_products.size()), m_pages.options.ItemsPerPage);
    for (int page = 1; page <= total; ++page) {
        s.CurrentPage = page;
        pages << DesignerPage::build(m_products, m_ticks.checked, m_pages.options, s)
                     .lines.join(u"\r\n"_s);
    }
    QString error;
    BusyCursor busy;
    if (!printHtmlPagesToPdf(pages, ProgramFolder::path() + u"Pages"_s, file,
                             OutputRules{m_catalogue.path}, &error))
        prompts->notice(u"The PDF could not be made: "_s + error);
}

} // namespace tovin
