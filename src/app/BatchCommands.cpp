#include "app/CommandLine.h"

namespace tovin {

BatchCommand createCommand();
BatchCommand importCommand();
BatchCommand reorderCommand();
BatchCommand reportCommand();
BatchCommand convertCommand();
BatchCommand pagesCommand();
BatchCommand exportCommand();
BatchCommand bulkEditCommand();
BatchCommand backupCommand();
BatchCommand restoreCommand();
BatchCommand historyCommand();
BatchCommand undoCommand();
BatchCommand shareCommand();
BatchCommand marginsCommand();

const QList<BatchCommand>& batchCommands() {
    static const QList<BatchCommand> commands{
        createCommand(),  importCommand(), convertCommand(),  pagesCommand(),  reorderCommand(),
        reportCommand(),  exportCommand(), bulkEditCommand(), backupCommand(), restoreCommand(),
        historyCommand(), undoCommand(),   shareCommand(),    marginsCommand()};
    return commands;
}

bool commandPaints(const QString& name) {
    for (const BatchCommand& command : batchCommands())
        if (command.name == name)
            return command.paints;
    return false;
}

} // namespace tovin
