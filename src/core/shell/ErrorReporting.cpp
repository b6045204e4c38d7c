#include "core/shell/ErrorReporting.h"

#include "core/base/Prompts.h"
#include "core/settings/SettingsStore.h"

#include <QLoggingCategory>

using namespace Qt::Literals::StringLiterals;

Q_LOGGING_CATEGORY(lcErrors, "tovin.errors", QtWarningMsg)

namespace tovin {

namespace {
ProgrammingErrorHandler programmingErrorHandler = nullptr;
} // namespace

void setProgrammingErrorHandler(ProgrammingErrorHandler handler) {
    programmingErrorHandler = handler;
}

void ReportError(const QString& label, const RunTimeError& error, const PromptsInUse* prompts) {
    qCWarning(lcErrors).noquote() << label << error.number() << error.description();
    if (error.number() != ErrorNumber::FileNotFound)
        return;
    if (prompts && prompts->current) {
        prompts->current->message(
            u"Can't Find The File!\nMake Sure ALL Necessary Files Are In The Tovin Folder!"_s,
            MessageButtons::Ok, MessageIcon::Critical, SettingsStore::ApplicationTitle);
    }
}

void StepGuard::handle(const RunTimeError& error) noexcept {
    ++m_failures;
    m_lastError = error;
    try {
        if (m_style == ErrorStyle::ReportAndResume && error.number() > 0)
            ReportError(m_label, error, m_prompts);
        else
            qCWarning(lcErrors).noquote()
                << m_label << "(ignored)" << error.number() << error.description();
    } catch (...) {
        // Reporting must never end the handler either.
    }
}

void StepGuard::handleForeign(const QString& what) noexcept {
    try {
        qCWarning(lcErrors).noquote() << m_label << "program fault:" << what;
        if (programmingErrorHandler)
            programmingErrorHandler(m_label, what);
    } catch (...) {
        // As above: the handler goes on whatever happens here.
    }
    const RunTimeError error(0, what);
    ++m_failures;
    m_lastError = error;
}

} // namespace tovin
