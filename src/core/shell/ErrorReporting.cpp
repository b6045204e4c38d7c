#include "core/shell/ErrorReporting.h"

#include "core/shell/Prompts.h"
#include "core/shell/SettingsStore.h"
#include "core/shell/SharedState.h"

#include <QLoggingCategory>

using namespace Qt::Literals::StringLiterals;

Q_LOGGING_CATEGORY(lcErrors, "tovin.errors", QtWarningMsg)

namespace tovin {

void ReportError(const QString& label, const RunTimeError& error) {
    qCInfo(lcErrors).noquote() << label << error.number() << error.description();
    if (error.number() != ErrorNumber::FileNotFound)
        return;
    if (Prompts* prompts = shared().prompts) {
        prompts->message(
            u"Can't Find The File!\nMake Sure ALL Necessary Files Are In The Tovin Folder!"_s,
            MessageButtons::Ok, MessageIcon::Critical, SettingsStore::ApplicationTitle);
    }
}

void StepGuard::handle(const RunTimeError& error) noexcept {
    ++m_failures;
    m_lastError = error;
    try {
        if (m_style == ErrorStyle::ReportAndResume && error.number() > 0)
            ReportError(m_label, error);
        else
            qCInfo(lcErrors).noquote()
                << m_label << "(ignored)" << error.number() << error.description();
    } catch (...) {
        // Reporting must never end the handler either.
    }
}

} // namespace tovin
