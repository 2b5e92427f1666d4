#include "Exchange.h"

#include "FrameBuffer.h"
#include "LinkWait.h"
#include "SerialChannel.h"

int transact(int waitMs, int wanted)
{
    sendRequest();
    linkSleep(waitMs);
    return serialChannel.readReply(rxFrame, wanted);
}

void sendRequest()
{
    serialChannel.write(txFrame.text(), txFrame.length());
}

bool replyIs(char command, char subCommand)
{
    return rxFrame.command() == command && rxFrame.subCommand() == subCommand;
}

bool replyAccepted(char command, char subCommand, int flagIndex)
{
    return replyIs(command, subCommand) && rxFrame.at(flagIndex) == 'F';
}
