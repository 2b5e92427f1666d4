#pragma once

// Helpers of the synchronous exchange that every page performs while it
// holds a LinkBusyGuard: the request is already built in txFrame.

// Writes txFrame, waits waitMs, reads up to `wanted` characters into
// rxFrame. Returns the count read (0: no reply).
int transact(int waitMs, int wanted);

// Writes txFrame without reading (write-only requests and polls).
void sendRequest();

// rxFrame carries this command and sub-command.
bool replyIs(char command, char subCommand);

// rxFrame carries command and sub-command and 'F' at flagIndex.
bool replyAccepted(char command, char subCommand, int flagIndex);

// Runs attempt up to `tries` times until it returns true.
template <class Attempt>
bool retry(int tries, Attempt attempt)
{
    for (int i = 0; i < tries; ++i) {
        if (attempt())
            return true;
    }
    return false;
}
