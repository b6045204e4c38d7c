#include "app/CommandLine.h"

namespace tovin {

BatchCommand createCommand();
BatchCommand importCommand();
BatchCommand exportCommand();
BatchCommand bulkEditCommand();

const QList<BatchCommand>& batchCommands() {
    static const QList<BatchCommand> commands{createCommand(), importCommand(), exportCommand(),
                                              bulkEditCommand()};
    return commands;
}

} // namespace tovin
