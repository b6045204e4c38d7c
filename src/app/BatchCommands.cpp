#include "app/CommandLine.h"

namespace tovin {

BatchCommand createCommand();
BatchCommand importCommand();
BatchCommand pagesCommand();

const QList<BatchCommand>& batchCommands() {
    static const QList<BatchCommand> commands{createCommand(), importCommand(), pagesCommand()};
    return commands;
}

} // namespace tovin
