#include "app/CommandLine.h"

namespace tovin {

BatchCommand createCommand();
BatchCommand importCommand();
BatchCommand convertCommand();

const QList<BatchCommand>& batchCommands() {
    static const QList<BatchCommand> commands{createCommand(), importCommand(), convertCommand()};
    return commands;
}

} // namespace tovin
