// The script language of velkaro-replay: one command per line, a command word followed by
// one blank and its argument up to the end of the line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Calendar.h"
#include "core/Counting.h"
#include "core/Ports.h"

namespace velkaro::replay {

enum class Op {
    Today, Separator, Load, Row, Tick, FailTick, Answer, Cancel, Pick, Select,
    SetPrices, SetPricesFrom, Rename, SetLimit, SetTrafficLimit, Report, Export, Save, Autosave, Clear, Panel, QuickInfo, Window,
    State, ReadError, WorkArea,
    HideIdle, Tip, KeyRow, FilterRow, Counters, Counting, Boot, Uptime, Time, Restart, Kill, Shell, Help, Mail,
    TrayIcon, TrayActivity, Graph, Ticks,
};

struct Command {
    Op op = Op::Tick;
    std::size_t line = 0;   // 1-based line number in the script
    std::string text;       // row: the name; answer and select: the text; separator: the
                            // character; readerror: the file
    std::uint64_t in = 0;   // row, keyrow, filterrow
    std::uint64_t out = 0;
    std::uint64_t key = 0;  // keyrow
    int y = 0;              // pick; readerror: the code; counters: 32 or 64; time: second of the day;
                            // shell: the result; workarea: the width; ticks: the count
    int height = 0;         // workarea
    bool on = false;        // hideidle, trayactivity; counting: boot
    Date date;              // today
    std::int64_t seconds = 0;  // boot: the system's start, UTC; uptime: the seconds run
};

struct ParseError {
    std::size_t line = 0;
    std::string reason;
};

namespace detail {

inline bool ReadCounter(std::string_view s, std::uint64_t& value) {
    if (s.empty() || s.size() > 20) return false;
    std::uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        const unsigned digit = static_cast<unsigned>(c - '0');
        if (v > (UINT64_MAX - digit) / 10) return false;
        v = v * 10 + digit;
    }
    value = v;
    return true;
}

// Splits "A B REST" at its first two blanks; false when there are not two.
inline bool SplitTwo(std::string_view s, std::string_view& a, std::string_view& b, std::string_view& rest) {
    const std::size_t b1 = s.find(' ');
    if (b1 == std::string_view::npos) return false;
    a = s.substr(0, b1);
    s.remove_prefix(b1 + 1);
    const std::size_t b2 = s.find(' ');
    b = s.substr(0, b2);
    rest = b2 == std::string_view::npos ? std::string_view{} : s.substr(b2 + 1);
    return true;
}

inline bool ReadInt(std::string_view s, int& value) {
    bool negative = false;
    if (!s.empty() && s[0] == '-') {
        negative = true;
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 10) return false;
    std::int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int>(v);
    return true;
}

inline bool ReadDigits(std::string_view s, int& value) {
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return !s.empty();
}

// YYYY-MM-DD, a real calendar day of the years 1 to 9999.
inline bool ReadDate(std::string_view s, Date& date) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-') return false;
    int y = 0, m = 0, d = 0;
    if (!ReadDigits(s.substr(0, 4), y) || !ReadDigits(s.substr(5, 2), m) || !ReadDigits(s.substr(8, 2), d))
        return false;
    if (y < 1 || d < 1 || d > DaysInMonth(y, m)) return false;
    date = Date{static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(m), static_cast<std::uint16_t>(d)};
    return true;
}

// An argument that is one of two words: `value` is true for the first.
inline bool ReadChoice(std::string_view arg, std::string_view first, std::string_view second,
                       std::string_view word, bool& value, std::string& reason) {
    if (arg != first && arg != second) {
        reason = std::string(word) + " needs " + std::string(first) + " or " + std::string(second);
        return false;
    }
    value = arg == first;
    return true;
}

struct Word {
    std::string_view name;
    Op op;
    bool takesArgument;
};

inline constexpr Word kWords[] = {
    {"today", Op::Today, true},          {"separator", Op::Separator, true},
    {"load", Op::Load, false},           {"row", Op::Row, true},
    {"tick", Op::Tick, false},           {"failtick", Op::FailTick, false},
    {"answer", Op::Answer, true},        {"cancel", Op::Cancel, false},
    {"pick", Op::Pick, true},            {"select", Op::Select, true},
    {"setprices", Op::SetPrices, false}, {"setpricefrom", Op::SetPricesFrom, false},
    {"rename", Op::Rename, false},
    {"setlimit", Op::SetLimit, false},   {"settrafficlimit", Op::SetTrafficLimit, false},
    {"export", Op::Export, false},
    {"report", Op::Report, false},       {"save", Op::Save, false},
    {"autosave", Op::Autosave, false},   {"clear", Op::Clear, false},
    {"panel", Op::Panel, false},         {"quickinfo", Op::QuickInfo, false},
    {"window", Op::Window, false},       {"state", Op::State, false},
    {"readerror", Op::ReadError, true},  {"hideidle", Op::HideIdle, true},
    {"tip", Op::Tip, false},             {"keyrow", Op::KeyRow, true},
    {"filterrow", Op::FilterRow, true},  {"counters", Op::Counters, true},
    {"counting", Op::Counting, true},    {"boot", Op::Boot, true},
    {"uptime", Op::Uptime, true},
    {"time", Op::Time, true},            {"restart", Op::Restart, false},
    {"kill", Op::Kill, false},           {"shell", Op::Shell, true},
    {"help", Op::Help, false},           {"mail", Op::Mail, false},
    {"workarea", Op::WorkArea, true},
    {"trayicon", Op::TrayIcon, false},   {"trayactivity", Op::TrayActivity, true},
    {"graph", Op::Graph, true},          {"ticks", Op::Ticks, true},
};

}  // namespace detail

// Parses one line (without its line end). Returns false with a reason when it is malformed.
// An empty line or a comment gives true and sets `skip`.
inline bool ParseLine(std::string_view line, Command& cmd, bool& skip, std::string& reason) {
    skip = line.empty() || line[0] == '#';
    if (skip) return true;
    const std::size_t blank = line.find(' ');
    const std::string_view word = line.substr(0, blank);
    const bool hasArgument = blank != std::string_view::npos;
    const std::string_view arg = hasArgument ? line.substr(blank + 1) : std::string_view{};

    const detail::Word* found = nullptr;
    for (const detail::Word& w : detail::kWords)
        if (w.name == word) found = &w;
    if (!found) {
        reason = "unknown command '" + std::string(word) + "'";
        return false;
    }
    cmd.op = found->op;
    if (!found->takesArgument) {
        if (!arg.empty()) {
            reason = "'" + std::string(word) + "' takes no argument";
            return false;
        }
        return true;
    }
    switch (cmd.op) {
        case Op::Today:
            if (!detail::ReadDate(arg, cmd.date)) {
                reason = "today needs a date YYYY-MM-DD";
                return false;
            }
            return true;
        case Op::Separator:
            if (arg.size() != 1) {
                reason = "separator needs one character";
                return false;
            }
            cmd.text = std::string(arg);
            return true;
        case Op::Row:
        case Op::FilterRow:
        case Op::KeyRow: {
            std::string_view row = arg;
            std::string_view keyText, inText, outText, name;
            if (cmd.op == Op::KeyRow) {
                const std::size_t b = row.find(' ');
                keyText = row.substr(0, b);
                row = b == std::string_view::npos ? std::string_view{} : row.substr(b + 1);
                if (!detail::ReadCounter(keyText, cmd.key)) {
                    reason = "keyrow needs KEY IN OUT NAME with a key of 0 to 18446744073709551614";
                    return false;
                }
            }
            if (!detail::SplitTwo(row, inText, outText, name) || !detail::ReadCounter(inText, cmd.in) ||
                !detail::ReadCounter(outText, cmd.out) || cmd.key == UINT64_MAX) {
                reason = std::string(word) + " needs IN OUT NAME with counters 0 to 18446744073709551615";
                return false;
            }
            cmd.text = std::string(name);
            return true;
        }
        case Op::Counters:
            if (!detail::ReadChoice(arg, "32", "64", word, cmd.on, reason)) return false;
            cmd.y = cmd.on ? 32 : 64;
            return true;
        case Op::Counting: return detail::ReadChoice(arg, "boot", "increments", word, cmd.on, reason);
        case Op::Boot:
            if (!ReadSystemStartText(arg, cmd.seconds)) {
                reason = "boot needs YYYY-MM-DD HH:MM:SS";
                return false;
            }
            return true;
        case Op::Uptime: {
            std::uint64_t seconds = 0;
            if (!detail::ReadCounter(arg, seconds) || seconds > 999999999999u) {
                reason = "uptime needs the seconds the system has run, 0 to 999999999999";
                return false;
            }
            cmd.seconds = static_cast<std::int64_t>(seconds);
            return true;
        }
        case Op::Time: {
            int h = 0, m = 0, sec = 0;
            if (arg.size() != 8 || arg[2] != ':' || arg[5] != ':' || !detail::ReadDigits(arg.substr(0, 2), h) ||
                !detail::ReadDigits(arg.substr(3, 2), m) || !detail::ReadDigits(arg.substr(6, 2), sec) || h > 23 ||
                m > 59 || sec > 59) {
                reason = "time needs HH:MM:SS";
                return false;
            }
            cmd.y = h * 3600 + m * 60 + sec;
            return true;
        }
        case Op::HideIdle:
        case Op::TrayActivity: return detail::ReadChoice(arg, "on", "off", word, cmd.on, reason);
        case Op::Ticks:
            if (!detail::ReadInt(arg, cmd.y) || cmd.y <= 0) {
                reason = "ticks needs a count above 0";
                return false;
            }
            return true;
        case Op::Graph:
            if (arg.empty()) {
                reason = "graph needs an adapter's name or all";
                return false;
            }
            cmd.text = std::string(arg);
            return true;
        case Op::Pick:
        case Op::Shell:
            if (!detail::ReadInt(arg, cmd.y)) {
                reason = std::string(word) + " needs a whole number";
                return false;
            }
            return true;
        case Op::WorkArea: {
            const std::size_t b = arg.find(' ');
            if (b == std::string_view::npos || !detail::ReadInt(arg.substr(0, b), cmd.y) ||
                !detail::ReadInt(arg.substr(b + 1), cmd.height) || cmd.y <= 0 || cmd.height <= 0) {
                reason = "workarea needs W H, two whole numbers above 0";
                return false;
            }
            return true;
        }
        case Op::ReadError: {
            const std::size_t b = arg.rfind(' ');
            if (b == std::string_view::npos || b == 0 || arg.size() - b - 1 > 9 ||
                !detail::ReadDigits(arg.substr(b + 1), cmd.y)) {
                reason = "readerror needs FILE CODE with a code of 0 to 999999999";
                return false;
            }
            cmd.text = std::string(arg.substr(0, b));
            return true;
        }
        default:  // answer, select: any text, also empty
            cmd.text = std::string(arg);
            return true;
    }
}

// Splits a script into commands. Lines end with LF or CR LF; the last line needs no end.
inline bool ParseScript(const std::string& bytes, std::vector<Command>& commands, ParseError& error) {
    std::size_t start = 0;
    std::size_t number = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end == std::string::npos) end = bytes.size();
        std::string_view line(bytes.data() + start, end - start);
        if (!line.empty() && line.back() == '\r' && end < bytes.size()) line.remove_suffix(1);
        ++number;
        Command cmd;
        bool skip = false;
        std::string reason;
        if (!ParseLine(line, cmd, skip, reason)) {
            error = ParseError{number, reason};
            return false;
        }
        if (!skip) {
            cmd.line = number;
            commands.push_back(std::move(cmd));
        }
        start = next;
    }
    return true;
}

}  // namespace velkaro::replay
