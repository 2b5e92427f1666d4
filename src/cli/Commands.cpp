#include "Commands.h"

namespace cli {

const QList<CommandEntry>& allCommands()
{
    static const QList<CommandEntry> commands = [] {
        QList<CommandEntry> all;
        for (const QList<CommandEntry>& group :
             {identityCommands(), faultCommands(), paramCommands(), paramFileCommands(), shaftCommands(),
              watchCommands(), recordCommands(), historyCommands()})
            all += group;
        return all;
    }();
    return commands;
}

} // namespace cli
