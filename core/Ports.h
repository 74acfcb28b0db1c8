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

struct InterfaceRow {
    std::array<std::uint8_t, 256> bDescr{};  // the description in the ANSI code page
    std::uint32_t dwDescrLen = 0;
    // The LUID, or the index where only the 32-bit table exists.
    std::uint64_t key = 0;
    std::uint64_t inOctets = 0;
    std::uint64_t outOctets = 0;
    bool counters32 = false;  // the counters wrap at 2^32 (the older table)
    bool filter = false;      // a filter's row that repeats an adapter's counters
};

class InterfaceTable {
public:
    virtual ~InterfaceTable() = default;
    virtual bool Load() = 0;
    // False when the call failed (rows then unspecified).
    virtual bool GetIfTable(std::vector<InterfaceRow>& rows) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual Date Today() = 0;
    // Seconds since midnight, 0 to 86399.
    virtual std::int32_t SecondOfDay() = 0;
    // Milliseconds of a clock that only goes forward; its origin means nothing.
    virtual std::uint64_t MonotonicMs() = 0;
    // Seconds since 1970-01-01 00:00 UTC: the clock less the time run (sleep included).
    virtual std::int64_t SystemStartTime() = 0;
    // Seconds, sleep included; no change of the clock moves it.
    virtual std::int64_t UptimeSeconds() = 0;
};

class RegionalSettings {
public:
    virtual ~RegionalSettings() = default;
    virtual char DecimalSeparator() = 0;
};

// Runtime I/O error codes (their texts: IoErrorText in core/Files.h).
enum IoCode : int {
    kIoOk = 0,
    kIoFileNotFound = 2,
    kIoInvalidFilename = 3,
    kIoTooManyOpenFiles = 4,
    kIoAccessDenied = 5,
    kIoReadBeyondEnd = 100,
    kIoDiskFull = 101,
};

// The name ReplaceAll gives its temporary file: the file's own name with this appended.
inline constexpr const char* kTemporarySuffix = ".tmp";

// The files of one folder, by their bare names.
class FileStore {
public:
    virtual ~FileStore() = default;
    // kIoOk, or the error code (kIoFileNotFound when missing).
    virtual int ReadAll(const std::string& name, std::string& bytes) = 0;
    // Writes name + kTemporarySuffix, flushes it and moves it over the old file, which a failure
    // leaves untouched; returns the code of the step that failed.
    virtual int ReplaceAll(const std::string& name, const std::string& bytes) = 0;
    // A failure leaves what was written so far; returns the code of the first failing step.
    virtual int WriteAll(const std::string& name, const std::string& bytes) = 0;
    // Never a folder; true when it went away.
    virtual bool Delete(const std::string& name) = 0;
};

}  // namespace velkaro
