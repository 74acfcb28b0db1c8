// The operating system as the engine sees it: small interfaces, each with a Win32
// implementation in win/ and a scripted one for tests and velkaro-replay.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velkaro {

struct Date {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t day = 0;
    friend bool operator==(const Date&, const Date&) = default;
};

// One row of the interface table, as the platform delivers it (only the fields we use).
struct InterfaceRow {
    std::array<std::uint8_t, 256> bDescr{};  // the description in the ANSI code page
    std::uint32_t dwDescrLen = 0;
    // What tells this interface from the others while the system runs (its LUID, or its
    // index where only the 32-bit table exists).
    std::uint64_t key = 0;
    std::uint64_t inOctets = 0;
    std::uint64_t outOctets = 0;
    bool counters32 = false;  // the counters wrap at 2^32 (the older table)
    bool filter = false;      // a filter's row that repeats an adapter's counters
};

class InterfaceTable {
public:
    virtual ~InterfaceTable() = default;
    // Finds the platform's interface-table function; false when it is not available.
    virtual bool Load() = 0;
    // Fills rows with the current table. False when the call failed (rows then unspecified).
    virtual bool GetIfTable(std::vector<InterfaceRow>& rows) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual Date Today() = 0;
    // The local time of day: seconds since midnight, 0 to 86399.
    virtual std::int32_t SecondOfDay() = 0;
    // Milliseconds of a clock that only goes forward, whatever is done to the time of day;
    // what the adapters' speed is measured with. Its origin means nothing.
    virtual std::uint64_t MonotonicMs() = 0;
    // When the system started, in seconds since 1970-01-01 00:00 UTC: the clock's time less
    // the time the system has run (sleep included).
    virtual std::int64_t SystemStartTime() = 0;
    // The time the system has run, in seconds (sleep included): no change of the clock moves it.
    virtual std::int64_t UptimeSeconds() = 0;
};

class RegionalSettings {
public:
    virtual ~RegionalSettings() = default;
    virtual char DecimalSeparator() = 0;
};

// Runtime I/O error codes (their texts: IoErrorText in core/AppError.h).
enum IoCode : int {
    kIoOk = 0,
    kIoFileNotFound = 2,
    kIoInvalidFilename = 3,
    kIoTooManyOpenFiles = 4,
    kIoAccessDenied = 5,
    kIoReadBeyondEnd = 100,
    kIoDiskFull = 101,
    kIoInvalidNumericInput = 106,
};

// The name ReplaceAll gives its temporary file: the file's own name with this appended.
inline constexpr const char* kTemporarySuffix = ".tmp";

// The files of one folder, named by their bare names; the store composes the path.
class FileStore {
public:
    virtual ~FileStore() = default;
    // Reads a whole file. Returns kIoOk, or the error code (kIoFileNotFound when missing).
    virtual int ReadAll(const std::string& name, std::string& bytes) = 0;
    // Replaces a file with bytes in one step: name + kTemporarySuffix in the same folder,
    // flushed, then moved over the old one. On failure the old file is untouched; returns the
    // code of the step that failed.
    virtual int ReplaceAll(const std::string& name, const std::string& bytes) = 0;
    // Writes a file in place (create or truncate, write, close); returns the code of the
    // first failing step, the file keeping what was written so far.
    virtual int WriteAll(const std::string& name, const std::string& bytes) = 0;
    // Deletes a file (never a folder); true when it went away.
    virtual bool Delete(const std::string& name) = 0;
};

}  // namespace velkaro
