#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstdint>

// A parameter set file: 4-byte records, one per listed parameter from the
// top of the list, with no header and no trailer. Each record holds the
// parameter index, a reserved byte (0) and the value, low byte first.
struct ParamRecord
{
    std::uint8_t index = 0;
    std::uint8_t reserved = 0;
    std::uint16_t value = 0;

    friend bool operator==(const ParamRecord&, const ParamRecord&) = default;
};

inline constexpr int kParamRecordSize = 4;

enum class ParamFileProblem {
    None,
    CannotOpen,   // missing, unreadable
    Empty,        // no record at all
    Malformed,    // a fragment of a record at the end, or far too long
    CannotWrite,  // the file could not be created or completed
};

struct ParamFileContent
{
    QList<ParamRecord> records;
    ParamFileProblem problem = ParamFileProblem::None;
};

// The bytes of the records, exactly as stored.
QByteArray encodeParamRecords(const QList<ParamRecord>& records);

// Checks the whole of a file's bytes, then decodes at most maxRecords
// records from the start. Any problem leaves records empty.
ParamFileContent decodeParamRecords(QByteArrayView bytes, int maxRecords);

// Reads and checks a file; at most maxRecords records are returned.
ParamFileContent readParamFile(const QString& path, int maxRecords);

// Writes the records through a temporary file that replaces the old one
// only once it is complete, so a failed save leaves the old file intact.
ParamFileProblem writeParamFile(const QString& path, const QList<ParamRecord>& records);

// The message shown for a problem (empty for None).
QString paramFileProblemText(ParamFileProblem problem);
