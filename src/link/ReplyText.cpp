#include "ReplyText.h"

#include <cstring>

const char* replyField(const char* frame, int index)
{
    if (!frame || index < 0 || int(strnlen(frame, size_t(index))) < index)
        return nullptr;
    return frame + index;
}

bool replyCarries(const char* frame, char command, char subCommand, int length)
{
    return replyField(frame, length) && frame[3] == command && frame[4] == subCommand;
}
