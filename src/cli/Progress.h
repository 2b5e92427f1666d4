#pragma once

#include <QElapsedTimer>
#include <QString>

namespace cli {

struct CliOptions;

// A progress line on stderr for the long reads and writes: what is done,
// the count and total, the percentage and the time left. Shown only when
// stderr is a terminal and --quiet is not given; on a terminal without
// escape sequences (TERM=dumb) the line is redrawn with a carriage return
// and blanks only. The line is wiped when the object goes.
class Progress
{
public:
    Progress(const CliOptions& options, const QString& what, int total);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void setTotal(int total) { total_ = total; }
    void show(int done);
    // Wipes the line, before results go to a terminal shared with it.
    void finish();

private:
    void draw(const QString& text);

    QString what_;
    int total_;
    bool on_;
    bool plain_;
    bool shown_ = false;
    qsizetype drawnWidth_ = 0;
    QElapsedTimer clock_;
    qint64 lastMs_ = -1;
};

} // namespace cli
