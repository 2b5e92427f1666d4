#pragma once

// Safe reading of a reply's NUL-terminated text (index 0 = STX): the
// decoders of every page look at fields only where the text reaches, never
// at what an earlier, longer frame left behind its end.

// The text from index on; null when the text ends before index (the hex
// decoders read null as no digits).
const char* replyField(const char* frame, int index);

// The text carries command and sub-command at index 3 and 4 and is at
// least `length` characters long.
bool replyCarries(const char* frame, char command, char subCommand, int length);
