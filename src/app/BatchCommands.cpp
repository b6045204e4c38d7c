#include "app/CommandLine.h"

namespace tovin {

BatchCommand createCommand();

const QList<BatchCommand>& batchCommands() {
    static const QList<BatchCommand> commands{createCommand()};
    return commands;
}

} // namespace tovin
