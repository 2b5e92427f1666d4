// The flight recorder's figures, on an hour of the simulated controller's
// replies to the polls of the status and I/O pages (one every 100 ms: the
// status page's three in turn, then the I/O page's, as vardo-cli record
// polls), with a car that answers a call every 20 s and a fault every
// 10 minutes:
//  - the recorder's CPU time per second of polling (its share of one core),
//  - the size of that hour's recording file,
//  - the ring's memory for 30 minutes,
//  - reading, decoding and exporting the hour (VCD, CSV),
//  - drawing the hour on the timeline, all of it and zoomed in.
//
// Usage: bench_recorder
// Runs under the offscreen platform unless QT_QPA_PLATFORM is set.

#include "Exports.h"
#include "FlightRecorder.h"
#include "Recording.h"
#include "SimController.h"
#include "SimProtocol.h"
#include "TimelineView.h"
#include "TrackSet.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <vector>

namespace {

constexpr qint64 kHourMs = 60 * 60 * 1000;
constexpr int kPollMs = 100;

struct Frame
{
    qint64 ms;
    bool sent;
    QByteArray bytes;
};

// The line of an hour: each poll written and its reply received, and the
// acknowledgement of each fault report.
std::vector<Frame> hourOfPolling()
{
    SimOptions options;
    options.manualTime = true;
    options.faultHistory = false;
    SimController sim(options);
    const QByteArray polls[] = {"A3", "A8", "A0", "A4"};
    std::vector<Frame> line;
    line.reserve(2 * kHourMs / kPollMs + 100);
    const int floors = sim.withElevator([](ElevatorModel& e) { return e.floorCount(); });
    for (qint64 ms = 0, i = 0; ms < kHourMs; ms += kPollMs, ++i) {
        sim.withElevator([&](ElevatorModel& e) {
            e.advance(kPollMs);
            if (ms % 20000 == 0)
                e.registerCall(ElevatorModel::CallKind::Car, int(1 + (ms / 20000 * 7) % floors));
        });
        const QByteArray request = sim.requestFrame(polls[i % 4]);
        line.push_back({ms, true, request});
        line.push_back({ms + 20, false, sim.answer(request)});
        if (ms % 600000 == 300000) {
            line.push_back({ms + 40, false, sim::buildFaultReport(32, 'E')});
            line.push_back({ms + 60, true, sim.requestFrame("F6")});
        }
    }
    return line;
}

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

template <class F>
double wallMs(F&& f)
{
    QElapsedTimer clock;
    clock.start();
    f();
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());

    std::printf("Making an hour of polling with the simulated controller...\n");
    const std::vector<Frame> line = hourOfPolling();

    // The recorder as the main window feeds it: each written request whole,
    // each received byte through the channel's observer (which passes it
    // over), each assembled frame through frameReceived.
    qint64 clock = 0;
    recorder::RecorderSettings settings;
    settings.faultFolder = dir.filePath(QStringLiteral("faults"));
    recorder::FlightRecorder flight(settings, [&clock] { return clock; });
    const auto observer = [&flight](bool sent, const char* bytes, int count) {
        if (sent)
            flight.frameSent(bytes, count);
    };
    const std::function<void(bool, const char*, int)> watch = observer;
    std::size_t bytesOnLine = 0;
    const double cpuBefore = threadCpuMs();
    for (const Frame& f : line) {
        clock = f.ms;
        bytesOnLine += std::size_t(f.bytes.size());
        if (f.sent) {
            watch(true, f.bytes.constData(), int(f.bytes.size()));
        } else {
            for (const char c : f.bytes)
                watch(false, &c, 1);
            flight.frameReceived(f.bytes.constData());
        }
        flight.advance();
    }
    const double cpuMs = threadCpuMs() - cpuBefore;
    std::printf("\nRecording while polling (%zu frames, %zu bytes on the line in one hour)\n", line.size(),
                bytesOnLine);
    std::printf("  recorder CPU time          %8.1f ms for the hour\n", cpuMs);
    std::printf("  share of one core          %8.4f %%   (goal below 0.5 %%)\n", cpuMs / double(kHourMs) * 100);
    std::printf("  per frame                  %8.2f us\n", cpuMs * 1000 / double(line.size()));
    std::printf("  fault files written        %8lld\n", qlonglong(flight.faultFiles().size()));

    // The ring of 30 minutes, measured by its own count and by the heap.
    {
        const struct mallinfo2 before = mallinfo2();
        recorder::FrameRing ring(30 * 60 * 1000, 30 * 60 * recorder::FlightRecorder::kBudgetBytesPerSecond);
        for (const Frame& f : line) {
            if (recorder::recorderKeeps(f.sent ? traffic::Direction::Sent : traffic::Direction::Received,
                                        f.bytes.constData(), int(f.bytes.size())))
                ring.append(f.ms, f.sent ? traffic::Direction::Sent : traffic::Direction::Received,
                            f.bytes.constData(), int(f.bytes.size()));
        }
        const struct mallinfo2 after = mallinfo2();
        // Small blocks and the large ones the allocator maps on their own.
        const double grown = double(after.uordblks + after.hblkhd) - double(before.uordblks + before.hblkhd);
        std::printf("\nRing of 30 minutes (the last half of the hour)\n");
        std::printf("  frames held                %8d\n", ring.size());
        std::printf("  memory (own count)         %8.0f KiB\n", double(ring.memoryBytes()) / 1024);
        std::printf("  heap grown by              %8.0f KiB\n", grown / 1024);
    }

    // The hour's file, as vardo-cli record writes it: the frames the
    // recorder keeps.
    recorder::Recording hour = flight.snapshot();
    hour.entries.clear();
    for (const Frame& f : line) {
        const traffic::Direction direction = f.sent ? traffic::Direction::Sent : traffic::Direction::Received;
        if (recorder::recorderKeeps(direction, f.bytes.constData(), int(f.bytes.size())))
            hour.entries.push_back({f.ms, direction, f.bytes});
    }
    const QString path = dir.filePath(QStringLiteral("hour.rec"));
    const double writeMs = wallMs([&] { recorder::writeRecording(path, hour.header, hour.entries); });
    std::printf("\nOne hour's recording\n");
    std::printf("  entries                    %8zu\n", hour.entries.size());
    std::printf("  file size                  %8.0f KiB\n", double(QFileInfo(path).size()) / 1024);
    std::printf("  written in                 %8.1f ms\n", writeMs);

    recorder::ReadResult read;
    const double readMs = wallMs([&] { read = recorder::readRecording(path); });
    std::unique_ptr<recorder::TrackSet> tracks;
    const double decodeMs = wallMs([&] {
        tracks = std::make_unique<recorder::TrackSet>(read.recording->header);
        tracks->addAll(read.recording->entries);
    });
    QByteArray vcd;
    QByteArray csv;
    const double vcdMs = wallMs([&] { vcd = recorder::vcdText(*tracks); });
    const double csvMs = wallMs([&] { csv = recorder::csvText(*tracks, false); });
    std::printf("\nExport of the hour\n");
    std::printf("  read the file              %8.1f ms\n", readMs);
    std::printf("  decode into tracks         %8.1f ms (%zu changes)\n", decodeMs, tracks->changes().size());
    std::printf("  VCD text                   %8.1f ms (%lld KiB)\n", vcdMs, qlonglong(vcd.size() / 1024));
    std::printf("  CSV text                   %8.1f ms (%lld KiB)\n", csvMs, qlonglong(csv.size() / 1024));
    std::printf("  read + decode + VCD        %8.1f ms   (goal below 1000 ms)\n", readMs + decodeMs + vcdMs);

    // The timeline: the whole hour, then 10 s zoomed in the middle, then
    // panned; each drawn 20 times.
    recorder::TimelineView view;
    view.resize(1400, 900);
    view.setTracks(tracks.get(), true);
    view.addIoTrack(recorder::TrackSet::inputTrack(0));
    view.addIoTrack(recorder::TrackSet::outputTrack(0));
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    const auto paintMs = [&] {
        return wallMs([&] {
                   for (int i = 0; i < 20; ++i)
                       view.render(&image);
               }) /
               20;
    };
    const double allMs = paintMs();
    view.showSpan(kHourMs / 2, kHourMs / 2 + 10000);
    const double zoomedMs = paintMs();
    view.showSpan(kHourMs / 4, kHourMs / 4 + 60000);
    const double pannedMs = paintMs();
    std::printf("\nTimeline of the hour (%dx%d, %zu lanes)\n", view.width(), view.height(), view.lanes().size());
    std::printf("  whole hour                 %8.2f ms a frame\n", allMs);
    std::printf("  10 s zoomed                %8.2f ms a frame\n", zoomedMs);
    std::printf("  1 min elsewhere            %8.2f ms a frame\n", pannedMs);
    return 0;
}
