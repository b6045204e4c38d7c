#include "app/CommandLine.h"

namespace tovin {

BatchCommand createCommand();
BatchCommand importCommand();
BatchCommand reorderCommand();

const QList<BatchCommand>& batchCommands() {
    static const QList<BatchCommand> commands{createCommand(), importCommand(), reorderCommand()};
    return commands;
}

} // namespace tovin
