#include "support/ui/torture/TortureCommand.h"

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test::torture {

namespace {

const std::array<QString, 9> KindNames{u"import"_s, u"bulk-edit"_s, u"undo"_s,
                                       u"export"_s, u"report"_s,    u"pages"_s,
                                       u"backup"_s, u"restore"_s,   u"history"_s};

} // namespace

QString kindName(CommandKind kind) {
    return KindNames.at(size_t(kind));
}

std::optional<CommandKind> kindFromName(const QString& name) {
    for (size_t i = 0; i < KindNames.size(); ++i)
        if (KindNames.at(i) == name)
            return CommandKind(i);
    return std::nullopt;
}

bool writesRuns(CommandKind kind) {
    return kind == CommandKind::Import || kind == CommandKind::BulkEdit ||
           kind == CommandKind::Undo;
}

Entry Command::toEntry() const {
    Entry entry{u"cmd"_s, {}};
    entry.set(u"id"_s, id).set(u"kind"_s, kindName(kind));
    if (family >= 0)
        entry.set(u"family"_s, family);
    if (kind == CommandKind::Import)
        entry.set(u"version"_s, version)
            .set(u"count"_s, count)
            .set(u"editOnly"_s, qint64(editOnly));
    if (target >= 0)
        entry.set(u"target"_s, target);
    if (killMs >= 0)
        entry.set(u"killMs"_s, killMs);
    if (!report.isEmpty())
        entry.set(u"report"_s, report);
    return entry;
}

std::optional<Command> Command::fromEntry(const Entry& entry) {
    const std::optional<CommandKind> kind = kindFromName(entry.value(u"kind"_s));
    if (entry.kind != u"cmd"_s || !kind)
        return std::nullopt;
    Command command;
    command.id = entry.number(u"id"_s, 0);
    command.kind = *kind;
    command.family = entry.number(u"family"_s);
    command.version = entry.number(u"version"_s, 0);
    command.count = entry.number(u"count"_s, 0);
    command.editOnly = entry.number(u"editOnly"_s, 0) != 0;
    command.target = entry.number(u"target"_s);
    command.killMs = entry.number(u"killMs"_s);
    command.report = entry.value(u"report"_s);
    return command;
}

QString Command::describe() const {
    QString text = kindName(kind) + u' ' + QString::number(id);
    if (kind == CommandKind::Import)
        text += u" (family %1 v%2, %3 items%4)"_s.arg(family).arg(version).arg(count).arg(
            editOnly ? u", edit only"_s : QString());
    else if (kind == CommandKind::BulkEdit)
        text += u" (family %1)"_s.arg(family);
    else if (kind == CommandKind::Undo)
        text += u" (of command %1)"_s.arg(target);
    else if (kind == CommandKind::Restore)
        text += u" (from the copy of command %1)"_s.arg(target);
    if (killMs >= 0)
        text += u", kill after %1 ms"_s.arg(killMs);
    return text;
}

QString programPath() {
    const QString asked = qEnvironmentVariable("TORTURE_PROGRAM");
    return asked.isEmpty() ? QStringLiteral(TOVIN_APP_BINARY) : asked;
}

Ran runToEnd(const QStringList& arguments) {
    QProcess process;
    process.start(programPath(), arguments);
    if (!process.waitForFinished(120000))
        process.kill();
    process.waitForFinished(10000);
    const bool normal =
        process.exitStatus() == QProcess::NormalExit && process.error() != QProcess::FailedToStart;
    return {normal ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace tovin::test::torture
