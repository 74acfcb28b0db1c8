// The script language of velkaro-replay: one command per line, a command word followed by
// one blank and its argument up to the end of the line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Ports.h"

namespace velkaro::replay {

enum class Op {
    Today, Separator, Load, Row, Tick, FailTick, Answer, Cancel, Pick, Select,
    SetPrices, Rename, SetLimit, Report, Save, Autosave, Clear, Panel, QuickInfo, Window, State, ReadError,
};

struct Command {
    Op op = Op::Tick;
    std::size_t line = 0;   // 1-based line number in the script
    std::string text;       // row: the name; answer and select: the text; separator: the
                            // character; readerror: the file
    std::uint32_t in = 0;   // row
    std::uint32_t out = 0;  // row
    int y = 0;              // pick; readerror: the code
    Date date;              // today
};

struct ParseError {
    std::size_t line = 0;
    std::string reason;
};

namespace detail {

inline bool ReadCounter(std::string_view s, std::uint32_t& value) {
    if (s.empty() || s.size() > 10) return false;
    std::uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > 0xFFFFFFFFull) return false;
    value = static_cast<std::uint32_t>(v);
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

inline bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// YYYY-MM-DD, a real calendar day of the years 1 to 9999.
inline bool ReadDate(std::string_view s, Date& date) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-') return false;
    int y = 0, m = 0, d = 0;
    if (!ReadDigits(s.substr(0, 4), y) || !ReadDigits(s.substr(5, 2), m) || !ReadDigits(s.substr(8, 2), d))
        return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || m < 1 || m > 12 || d < 1) return false;
    const int days = kDays[m - 1] + (m == 2 && IsLeap(y) ? 1 : 0);
    if (d > days) return false;
    date = Date{static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(m), static_cast<std::uint16_t>(d)};
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
    {"setprices", Op::SetPrices, false}, {"rename", Op::Rename, false},
    {"setlimit", Op::SetLimit, false},
    {"report", Op::Report, false},       {"save", Op::Save, false},
    {"autosave", Op::Autosave, false},   {"clear", Op::Clear, false},
    {"panel", Op::Panel, false},         {"quickinfo", Op::QuickInfo, false},
    {"window", Op::Window, false},       {"state", Op::State, false},
    {"readerror", Op::ReadError, true},
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
        case Op::Row: {
            const std::size_t b1 = arg.find(' ');
            const std::string_view inText = arg.substr(0, b1);
            std::string_view rest = b1 == std::string_view::npos ? std::string_view{} : arg.substr(b1 + 1);
            const std::size_t b2 = rest.find(' ');
            const std::string_view outText = rest.substr(0, b2);
            const std::string_view name = b2 == std::string_view::npos ? std::string_view{} : rest.substr(b2 + 1);
            if (b1 == std::string_view::npos || !detail::ReadCounter(inText, cmd.in) ||
                !detail::ReadCounter(outText, cmd.out)) {
                reason = "row needs IN OUT NAME with counters 0 to 4294967295";
                return false;
            }
            cmd.text = std::string(name);
            return true;
        }
        case Op::Pick:
            if (!detail::ReadInt(arg, cmd.y)) {
                reason = "pick needs a whole number";
                return false;
            }
            return true;
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
