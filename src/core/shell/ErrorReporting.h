#pragma once

#include "core/base/RunTimeError.h"

#include <QString>
#include <exception>
#include <optional>
#include <utility>

namespace tovin {

struct PromptsInUse;

// Reports a run-time error that a handler caught. Only a missing file (error 53) is shown to
// the user, through `prompts` when there are any, as "Can't Find The File!" with a critical
// icon; every other error is passed over. Every error is written as a warning to the log
// category "tovin.errors".
void ReportError(const QString& label, const RunTimeError& error,
                 const PromptsInUse* prompts = nullptr);

// A C++ exception that is not a RunTimeError (std::bad_alloc, an out-of-range access) is a
// fault of the program, not of the user's data. A StepGuard contains it like any other error
// and hands it to this handler as well; tests make it fail the running test.
using ProgrammingErrorHandler = void (*)(const QString& label, const QString& what);
void setProgrammingErrorHandler(ProgrammingErrorHandler handler);

// The two ways a handler treats a failing step.
enum class ErrorStyle {
    ReportAndResume, // report through ReportError, then go on with the next step
    IgnoreAndResume, // go on with the next step without a word
};

// Runs the steps of one handler so that a failing step never stops the ones after it:
//
//     StepGuard step(u"(Form) Catagory::Sub cmdUpdate_Click"_s, m_prompts);
//     step([&] { rs.updateBatch(); });
//     step([&] { setButtons(true); });
//
// Each step that raises a RunTimeError is reported (or ignored) and the next step runs.
class StepGuard {
public:
    // Reports each failing step through ReportError, to the user through `prompts`, which must
    // outlive the guard.
    StepGuard(QString label, const PromptsInUse& prompts)
        : m_label(std::move(label)), m_style(ErrorStyle::ReportAndResume), m_prompts(&prompts) {}
    // With IgnoreAndResume, failing steps are only logged.
    StepGuard(QString label, ErrorStyle style) : m_label(std::move(label)), m_style(style) {}

    template <class Step> bool operator()(Step&& step) noexcept {
        try {
            std::forward<Step>(step)();
            return true;
        } catch (const RunTimeError& error) {
            handle(error);
        } catch (const std::exception& error) {
            handleForeign(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            handleForeign(QStringLiteral("Unknown error"));
        }
        return false;
    }

    const QString& label() const { return m_label; }
    int failures() const { return m_failures; }
    // The last error a step raised, if any.
    const std::optional<RunTimeError>& lastError() const { return m_lastError; }

private:
    void handle(const RunTimeError& error) noexcept;
    void handleForeign(const QString& what) noexcept;

    QString m_label;
    ErrorStyle m_style;
    const PromptsInUse* m_prompts = nullptr;
    int m_failures = 0;
    std::optional<RunTimeError> m_lastError;
};

// The label of a screen procedure: "(Form) <screen>::Sub <procedure>".
inline QString formLabel(const QString& screen, const QString& procedure) {
    return QStringLiteral("(Form) ") + screen + QStringLiteral("::Sub ") + procedure;
}

} // namespace tovin
