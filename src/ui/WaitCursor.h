#pragma once

// Shows the wait cursor for its lifetime; release() ends it early. The
// cursor is restored on every path out.
class WaitCursor
{
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void release();

private:
    bool active_ = true;
};
