#include "support/ui/torture/TortureMix.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin::test::torture {

namespace {

enum Choice {
    NewFamily,
    EditFamily,
    ImportAgain,
    BulkEdit,
    UndoLast,
    UndoOlder,
    Export,
    Report,
    Pages,
    Backup,
    Restore,
    History
};
// How often each is chosen, in the order above.
const QList<int> Weights{24, 12, 5, 10, 12, 4, 6, 4, 3, 8, 7, 5};
const QStringList Reports{u"cost1"_s, u"retail"_s, u"catagory"_s, u"inventory"_s, u"orders"_s};

} // namespace

Mix::Mix(quint64 seed, bool server) : m_random(seed), m_server(server), m_weights(Weights) {
    const QStringList leftOut =
        qEnvironmentVariable("TORTURE_LEAVE_OUT").split(u',', Qt::SkipEmptyParts);
    // The names of the choices, as the commands are called.
    const QStringList names{u"import"_s, u"import"_s, u"import"_s,  u"bulk-edit"_s,
                            u"undo"_s,   u"undo"_s,   u"export"_s,  u"report"_s,
                            u"pages"_s,  u"backup"_s, u"restore"_s, u"history"_s};
    for (qsizetype i = 0; i < names.size(); ++i)
        if (leftOut.contains(names.at(i)))
            m_weights[i] = 0;
    // A catalogue on a server is not a file a copy can be put in place of.
    if (m_server)
        m_weights[Restore] = 0;
}

Entry Wave::toEntry() const {
    Entry entry{u"wave"_s, {}};
    entry.set(u"n"_s, number)
        .set(u"close"_s, qint64(closeScreens))
        .set(u"open"_s, qint64(openProducts))
        .set(u"backup"_s, qint64(windowBackup))
        .set(u"monkeySteps"_s, monkeySteps)
        .set(u"monkeySeed"_s, QString::number(monkeySeed));
    if (terminateMs >= 0)
        entry.set(u"terminateMs"_s, terminateMs).set(u"terminatePick"_s, qint64(terminatePick));
    if (restartMs >= 0)
        entry.set(u"restartMs"_s, restartMs).set(u"restartPauseMs"_s, restartPauseMs);
    return entry;
}

Wave Wave::fromEntry(const Entry& entry) {
    Wave wave;
    wave.number = entry.number(u"n"_s, 0);
    wave.closeScreens = entry.number(u"close"_s, 0) != 0;
    wave.openProducts = entry.number(u"open"_s, 0) != 0;
    wave.windowBackup = entry.number(u"backup"_s, 0) != 0;
    wave.monkeySteps = entry.number(u"monkeySteps"_s, 0);
    wave.monkeySeed = entry.value(u"monkeySeed"_s).toULongLong();
    wave.terminateMs = entry.number(u"terminateMs"_s);
    wave.terminatePick = entry.value(u"terminatePick"_s).toUInt();
    wave.restartMs = entry.number(u"restartMs"_s);
    wave.restartPauseMs = entry.number(u"restartPauseMs"_s, 0);
    return wave;
}

int Mix::pick(const QList<int>& weights) {
    int total = 0;
    for (const int weight : weights)
        total += weight;
    if (total <= 0)
        return History;
    int at = bounded(total);
    for (qsizetype i = 0; i < weights.size(); ++i) {
        if (at < weights.at(i))
            return int(i);
        at -= weights.at(i);
    }
    return 0;
}

std::optional<int> Mix::freeFamily(const Model& model, const QSet<int>& taken, bool withRuns) {
    QList<int> standing;
    QList<int> loose;
    for (const Family& family : model.families)
        if (!taken.contains(family.number) && (!withRuns || !family.stack.isEmpty()))
            (family.loose ? loose : standing) << family.number;
    // Loose families still take writes now and then: what always holds is checked on them.
    const QList<int>& from =
        standing.isEmpty() || (!loose.isEmpty() && bounded(5) == 0) ? loose : standing;
    if (from.isEmpty())
        return std::nullopt;
    return from.at(bounded(int(from.size())));
}

std::optional<Command> Mix::choose(const Model& model, const QList<int>& copies,
                                   QSet<int>& families, int& newFamily, bool& restoring) {
    Command command;
    command.id = m_nextCommand;
    const int choice = pick(m_weights);
    std::optional<int> family;
    switch (choice) {
    case NewFamily:
        command.kind = CommandKind::Import;
        family = newFamily++;
        // Most files fit one batch of 2000 items; some take two, and a kill can split them.
        command.count = bounded(10) == 0 ? 2000 + bounded(1000) : 150 + bounded(1200);
        break;
    case EditFamily:
    case ImportAgain:
        command.kind = CommandKind::Import;
        family = freeFamily(model, families, false);
        if (!family)
            return std::nullopt;
        command.editOnly = choice == EditFamily;
        command.count = choice == EditFamily
                            ? qMax(1, model.families.value(*family).size / 2 +
                                          bounded(model.families.value(*family).size / 2 + 1))
                            : model.families.value(*family).size;
        break;
    case BulkEdit:
        command.kind = CommandKind::BulkEdit;
        family = freeFamily(model, families, false);
        if (!family)
            return std::nullopt;
        break;
    case UndoLast:
    case UndoOlder: {
        command.kind = CommandKind::Undo;
        family = freeFamily(model, families, true);
        if (!family)
            return std::nullopt;
        const QList<Transition>& stack = model.families.value(*family).stack;
        const int at = choice == UndoLast || stack.size() == 1 ? int(stack.size()) - 1
                                                               : bounded(int(stack.size()) - 1);
        command.target = stack.at(at).command;
        break;
    }
    case Restore:
        if (restoring || copies.isEmpty())
            return std::nullopt;
        restoring = true;
        command.kind = CommandKind::Restore;
        command.target = copies.at(bounded(int(copies.size())));
        break;
    case Report:
        command.kind = CommandKind::Report;
        command.report = Reports.at(bounded(int(Reports.size())));
        break;
    default:
        command.kind = choice == Export   ? CommandKind::Export
                       : choice == Pages  ? CommandKind::Pages
                       : choice == Backup ? CommandKind::Backup
                                          : CommandKind::History;
    }
    if (family) {
        command.family = *family;
        families.insert(*family);
    }
    command.version = command.id;
    if (bounded(5) == 0)
        command.killMs = 10 + bounded(400);
    ++m_nextCommand;
    return command;
}

Wave Mix::next(const Model& model, const QList<int>& copies) {
    Wave wave;
    wave.number = ++m_waves;
    QSet<int> families;
    // A family number is never used twice, even when a restore took the family's products
    // away before the model heard of them.
    int newFamily = qMax(model.nextFamily, m_nextFamily);
    bool restoring = false;
    const int wanted = 1 + bounded(4);
    for (int tries = 0; wave.commands.size() < wanted && tries < 20; ++tries)
        if (const std::optional<Command> command =
                choose(model, copies, families, newFamily, restoring))
            wave.commands << *command;
    m_nextFamily = newFamily;
    // As File > Restore From Backup does; restores beside open screens are refused.
    wave.closeScreens = bounded(8) == 0;
    wave.openProducts = !wave.closeScreens && bounded(6) == 0;
    if (bounded(10) < 7) {
        wave.monkeySteps = 1 + bounded(6);
        wave.monkeySeed = m_random.generate64();
    }
    wave.windowBackup = !m_server && bounded(6) == 0;
    // A restore goes ahead only while nothing else has the catalogue open: half the time the
    // window lets it, with its screens closed and left alone.
    if (restoring && bounded(2) == 0) {
        wave.closeScreens = true;
        wave.openProducts = false;
        wave.monkeySteps = 0;
    }
    if (m_server)
        chooseServerEvents(wave);
    return wave;
}

// Most backends ended land inside a command, as the kills do; now and then the server goes
// away altogether, for a moment or for longer than a command waits to connect.
void Mix::chooseServerEvents(Wave& wave) {
    if (bounded(2) == 0) {
        wave.terminateMs = 20 + bounded(1500);
        wave.terminatePick = m_random.generate();
    }
    if (bounded(7) == 0) {
        wave.restartMs = 50 + bounded(2000);
        wave.restartPauseMs = bounded(4) == 0 ? 2000 + bounded(4000) : bounded(500);
        // The Products screen's connection then has to come back and listen again by itself.
        wave.openProducts = !wave.closeScreens;
    }
}

} // namespace tovin::test::torture
