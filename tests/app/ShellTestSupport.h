#pragma once

#include "ModalDialogs.h"
#include "Page.h"
#include "PageFactory.h"

#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QStringList>
#include <QTimer>

#include <functional>

// What the pages of a test saw, per page index: "activate", "deactivate"
// and "frame <text>" in order.
struct PageLog
{
    QStringList entries[pages::kPageCount];

    void clear()
    {
        for (QStringList& e : entries)
            e.clear();
    }
    QStringList frames(int index) const
    {
        QStringList out;
        for (const QString& e : entries[index])
            if (e.startsWith(QLatin1String("frame ")))
                out << e.mid(6);
        return out;
    }
    QString last(int index) const { return entries[index].value(entries[index].size() - 1); }
};

// A page that records what the host does to it.
class RecordingPage : public Page
{
public:
    RecordingPage(PageHost& host, int index, PageLog& log, QWidget* parent) : Page(host, index, parent), log_(log)
    {
    }
    void activate() override { log_.entries[pageIndex()] << QStringLiteral("activate"); }
    void deactivate() override { log_.entries[pageIndex()] << QStringLiteral("deactivate"); }
    void frameArrived() override;

private:
    PageLog& log_;
};

// Installs recording pages for its lifetime.
class RecordingPages
{
public:
    explicit RecordingPages(PageLog& log)
    {
        pages::setPageMaker([&log](int index, PageHost& host, QWidget* parent) -> Page* {
            return new RecordingPage(host, index, log, parent);
        });
    }
    ~RecordingPages() { pages::setPageMaker({}); }
};

// Forces the line speed of a terminal device, as a stand-in for "someone
// else set it", to see whether the tool re-opens the port.
bool forceLineSpeed(const QString& device, int baud);
