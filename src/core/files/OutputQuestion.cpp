#include "core/files/OutputQuestion.h"

#include "core/base/Prompts.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

bool confirmOutput(Prompts& prompts, const QString& path, const OutputRules& rules,
                   const QString& title) {
    if (const auto refused = OutputFile::refusal(path, rules)) {
        prompts.notice(*refused, MessageIcon::Exclamation, title);
        return false;
    }
    const QFileInfo file(path);
    if (!file.exists())
        return true;
    return prompts.ask(u"Replace "_s + file.fileName() + u'?', MessageButtons::YesNo,
                       MessageDefault::Second, MessageIcon::Question, title) == MessageAnswer::Yes;
}

} // namespace tovin
