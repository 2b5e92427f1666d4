// The recording file reader: any bytes give a recording or a reason; a
// recording writes back to text that reads as the same recording, and
// decodes and exports without trouble.

#include "Exports.h"
#include "FuzzInput.h"
#include "Recording.h"
#include "TrackSet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const recorder::ReadResult read = recorder::parseRecording(bytes);
    if (!read.recording) {
        fuzz::check(!read.error.isEmpty(), "a refused file says why");
        return 0;
    }
    const recorder::Recording& r = *read.recording;
    const recorder::ReadResult again = recorder::parseRecording(recorder::recordingText(r.header, r.entries));
    fuzz::check(again.recording.has_value(), "a recording reads back");
    fuzz::check(again.recording->entries.size() == r.entries.size(), "every entry reads back");
    for (std::size_t i = 0; i < r.entries.size(); ++i) {
        fuzz::check(again.recording->entries[i].ms == r.entries[i].ms, "times read back");
        fuzz::check(again.recording->entries[i].bytes == r.entries[i].bytes, "frames read back");
    }
    recorder::TrackSet tracks(r.header);
    tracks.addAll(r.entries);
    fuzz::check(!recorder::vcdText(tracks).isEmpty(), "a dump is written");
    fuzz::check(!recorder::csvText(tracks, false).isEmpty(), "a table is written");
    return 0;
}
