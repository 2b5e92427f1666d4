#pragma once

#include <QByteArray>
#include <QString>

#include <termios.h>

// A pseudo-terminal whose master side the test drives as the controller.
// The slave side stays open here, so the tool may close and re-open it.
class TestPty
{
public:
    TestPty();
    ~TestPty();
    TestPty(const TestPty&) = delete;
    TestPty& operator=(const TestPty&) = delete;

    QString slavePath() const { return slavePath_; }
    // Writes bytes as the controller.
    void send(const QByteArray& bytes) const;
    // Everything the tool has written so far (waits up to timeoutMs for the first byte).
    QByteArray receive(int timeoutMs = 0) const;
    // The line settings in force on the slave side.
    termios lineSettings() const;
    // The controller's end, for peers that serve on their own thread.
    int masterFd() const { return master_; }

private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
};
