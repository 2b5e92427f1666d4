#include "Commands.h"

namespace cli {

const QList<CommandSpec>& allCommands()
{
    static const QList<CommandSpec> commands = [] {
        QList<CommandSpec> all;
        for (const QList<CommandSpec>& group : {identityCommands(), faultCommands(), paramCommands(),
                                                 paramFileCommands(), shaftCommands(), watchCommands()})
            all += group;
        return all;
    }();
    return commands;
}

} // namespace cli
