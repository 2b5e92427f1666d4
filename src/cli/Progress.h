#pragma once

#include <QElapsedTimer>
#include <QString>

namespace cli {

// A progress line on stderr for the long reads and writes: what is done,
// the count and total, the percentage and the time left. Shown only when
// stderr is a terminal, so scripts get quiet output; the line is wiped
// when the object goes.
class Progress
{
public:
    Progress(const QString& what, int total);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void setTotal(int total) { total_ = total; }
    void show(int done);
    // Wipes the line, before results go to a terminal shared with it.
    void finish();

    // True when stderr is a terminal.
    static bool wanted();

private:
    QString what_;
    int total_;
    bool on_;
    bool shown_ = false;
    QElapsedTimer clock_;
    qint64 lastMs_ = -1;
};

} // namespace cli
