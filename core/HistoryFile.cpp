// history.txt: the settings lines, the interface rows' last readings and the records.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <unordered_map>

#include "core/Files.h"
#include "core/Formatting.h"

namespace velkaro {

namespace {

constexpr std::string_view kShowKey = "SHOW";
constexpr std::string_view kWidthKey = "form1.width";
// Written only while on, so that with it off the file is as it always was.
constexpr std::string_view kHideIdleKey = "hide.idle";
// Written only while off, and only once the window has been opened: an older loader passes over
// keys it does not know.
constexpr std::string_view kTrayActivityKey = "tray.activity";
constexpr std::string_view kGraphWindowKey = "graph.window";
// Written only while set: the counters as traffic, the day fixed at start.
constexpr std::string_view kCountingKey = "counting";
constexpr std::string_view kCountingBoot = "boot";
// The system start the readings were taken under, the time the system had run then (seconds),
// and a line per interface row's last reading.
constexpr std::string_view kSystemStartKey = "boot";
constexpr std::string_view kUptimeKey = "uptime";
constexpr std::string_view kReadingKey = "reading";
constexpr int kDefaultWidth = 500;

bool ReadReadingName(std::string_view text, std::string& name) {
    name.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool escape = text[i] == '%';
        const int byte = escape ? HexByteAt(text, i) : static_cast<unsigned char>(text[i]);
        if (byte < 0) return false;
        name += static_cast<char>(byte);
        if (escape) i += 2;
    }
    return true;
}

// "KEY IN OUT NAME", one blank between the fields; the name is the rest of the line.
bool ReadReadingLine(std::string_view value, RowReading& r) {
    std::string_view fields[3];
    for (std::string_view& field : fields) {
        const std::size_t blank = value.find(' ');
        if (blank == std::string_view::npos) return false;
        field = value.substr(0, blank);
        value.remove_prefix(blank + 1);
    }
    return ReadDigits(fields[0], r.key) && ReadDigits(fields[1], r.in) && ReadDigits(fields[2], r.out) &&
           ReadReadingName(value, r.name);
}

// "LEFT TOP WIDTH HEIGHT", four whole numbers with one blank between them; a size of at least 1.
bool ReadWindowPlace(std::string_view text, WindowPlace& place) {
    const char* at = text.data();
    const char* const end = at + text.size();
    for (int* field : {&place.left, &place.top, &place.width, &place.height}) {
        if (field != &place.left && (at == end || *at++ != ' ')) return false;
        const auto res = std::from_chars(at, end, *field);
        if (res.ec != std::errc()) return false;
        at = res.ptr;
    }
    return at == end && place.width > 0 && place.height > 0;
}

// The traffic of one record of the run, to be added to a history read late.
struct RunTraffic {
    std::string adapter;
    Date day;
    std::uint64_t in = 0, out = 0;
};

std::vector<RunTraffic> TrafficOfRun(const Accounting& a) {
    std::vector<RunTraffic> run;
    for (const HistoryRecord& r : a.History()) {
        const Date day{r.year, r.month, r.day};
        if (run.empty() || run.back().adapter != a.AdapterNameOf(r) || !(run.back().day == day))
            run.push_back(RunTraffic{a.AdapterNameOf(r), day});
        run.back().in += r.inOctets;
        run.back().out += r.outOctets;
    }
    return run;
}

// Adds the run's traffic to the history just read: each adapter's and day's to the last open
// record of that adapter and day, made when there is none.
void AddTrafficOfRun(Accounting& a, const std::vector<RunTraffic>& run) {
    auto key = [](AdapterId id, const Date& d) {
        return (std::uint64_t{id} << 32) | (std::uint64_t{d.year} << 9) | (std::uint64_t{d.month & 15u} << 5) |
               (d.day & 31u);
    };
    std::unordered_map<std::uint64_t, std::size_t> open;
    for (const RunTraffic& t : run) {
        AdapterId id = 0;
        if (a.FindAdapter(t.adapter, id)) open.emplace(key(id, t.day), SIZE_MAX);
    }
    for (std::size_t i = 0; i < a.HistoryCount() && !open.empty(); ++i) {
        const HistoryRecord& r = a.History()[i];
        if (r.session != 0) continue;
        auto it = open.find(key(r.adapter, Date{r.year, r.month, r.day}));
        if (it != open.end()) it->second = i;
    }
    for (const RunTraffic& t : run) {
        AdapterId id = 0;
        const auto it = a.FindAdapter(t.adapter, id) ? open.find(key(id, t.day)) : open.end();
        std::size_t index = it != open.end() ? it->second : SIZE_MAX;
        if (index == SIZE_MAX) {
            id = a.Intern(t.adapter);
            index = a.AppendHistoryRecord(id, HistoryRecord{0, 0, t.day.year, t.day.month, t.day.day});
        }
        open[key(id, t.day)] = AddToOpenRecord(a, index, t.in, t.out);
    }
}

}  // namespace

SystemClock NowOf(Clock& clock) { return SystemClock{clock.SystemStartTime(), clock.UptimeSeconds(), true}; }

void LoadHistoryFile(Accounting& a, DataFiles& data, FilePorts& ports, TableRead how, FileNotes& notes) {
    // The file's word on the readings counts until this run reads the table, but a reload
    // after a clear finds only what this run wrote or nothing: the run's readings stay.
    const bool takeReadings = !data.loaded || how == TableRead::Retry;
    std::string bytes;
    const FileFound found = ReadDataFile(ports.files, kHistoryData, data.historyFile, bytes);
    if (found == FileFound::Missing && takeReadings) a.Readings().TakeKept({}, NowOf(ports.clock));
    if (found != FileFound::Read) return;  // missing or unread: the table and the settings stay as they are
    std::vector<RunTraffic> run;
    if (how == TableRead::Retry && !a.CountingBoot()) run = TrafficOfRun(a);
    a.ClearHistory();
    KeptReadings kept;
    kept.clock.hasUptime = false;
    // Names seen in this file, as views into its bytes: no allocation for known names.
    std::unordered_map<std::string_view, AdapterId> ids;
    ParseDataFile(ports.files, kHistoryData, data.historyFile, std::move(bytes), notes, [&](std::string_view line) {
        if (line.find('\t') != std::string_view::npos) {
            HistoryRecord r;
            r.day = static_cast<std::uint16_t>(ReadFieldNumber(line, '.', false));
            r.month = static_cast<std::uint16_t>(ReadFieldNumber(line, '.', false));
            r.year = static_cast<std::uint16_t>(ReadFieldNumber(line, '-', false));
            r.session = static_cast<std::int32_t>(ReadFieldNumber(line, '\t', false));
            r.inOctets = ReadFieldNumber(line, '\t', true);
            r.outOctets = ReadFieldNumber(line, '\t', true);
            auto [it, added] = ids.try_emplace(line, 0);
            if (added) it->second = a.Intern(std::string(line));
            a.AppendHistoryRecord(it->second, r);
            return true;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) return false;
        const std::string_view key = Trim(line.substr(0, eq));
        const std::string_view value = Trim(line.substr(eq + 1));
        if (key == kReadingKey) {
            // Its name may begin or end with blanks: the value is taken as written.
            RowReading r;
            if (!ReadReadingLine(line.substr(eq + 1), r)) return false;
            kept.readings.push_back(std::move(r));
        } else if (key == kSystemStartKey) {
            kept.hasStart = ReadSystemStartText(value, kept.clock.start);
            return kept.hasStart;
        } else if (key == kUptimeKey) {
            std::uint64_t seconds = 0;
            kept.clock.hasUptime = ReadDigits(value, seconds) && seconds <= INT64_MAX;
            kept.clock.uptime = static_cast<std::int64_t>(seconds);
            return kept.clock.hasUptime;
        } else if (key == kCountingKey) {
            a.SetCountingBoot(value == kCountingBoot);
        } else if (key == kShowKey) {
            a.SetAdapterFilter(std::string(value));
        } else if (key == kWidthKey) {
            notes.windowWidth = ReadWidthSetting(value);
        } else if (key == kHideIdleKey) {
            a.SetHideIdle(value == "1");  // 0, or anything else: off
        } else if (key == kTrayActivityKey) {
            a.SetTrayActivity(value != "0");
        } else if (key == kGraphWindowKey) {
            // A place that is not one leaves the window to its default place.
            if (WindowPlace place; ReadWindowPlace(value, place)) a.SetGraphPlace(place);
        }
        return true;
    });
    if (const FirstReading* first = a.Readings().First(); first && how == TableRead::Retry && !a.CountingBoot()) {
        // The run began counting at its first reading, not knowing what the file kept: what
        // went through while the program was closed is the growth from the file's readings to
        // that first reading, on the day it was taken.
        for (auto& [name, g] : GrowthWhileClosed(kept, *first)) run.push_back(RunTraffic{name, first->day, g.in, g.out});
    }
    a.Readings().DropFirstReading();
    if (takeReadings) a.Readings().TakeKept(std::move(kept), NowOf(ports.clock));
    AddTrafficOfRun(a, run);
}

std::uint32_t ReadFieldNumber(std::string_view& line, char delimiter, bool isUnsigned) {
    if (line.empty()) return 0;
    const std::uint64_t limit = isUnsigned ? 4294967295u : 2147483647u;
    const void* d = std::memchr(line.data(), delimiter, line.size());
    const std::size_t len = d ? static_cast<std::size_t>(static_cast<const char*>(d) - line.data())
                              : line.size();
    std::uint64_t value = 0;
    bool tooLarge = false;
    for (std::size_t i = 0; i < len; ++i) {
        const unsigned digit = static_cast<unsigned char>(line[i]) - unsigned{'0'};
        if (digit > 9 || tooLarge) continue;
        value = value * 10 + digit;
        tooLarge = value > limit;
    }
    line.remove_prefix(d ? len + 1 : len);
    return tooLarge ? 0 : static_cast<std::uint32_t>(value);
}

int ReadWidthSetting(std::string_view v) {
    const bool negative = v.starts_with('-');
    if (negative || v.starts_with('+')) v.remove_prefix(1);
    const std::size_t hexMark = v.starts_with('$') ? 1 : v.starts_with("0x") || v.starts_with("0X") ? 2 : 0;
    v.remove_prefix(hexMark);
    std::uint64_t value = 0;
    if (!ReadDigits(v, value, hexMark > 0 ? 16 : 10) || value > (negative ? 2147483648u : 2147483647u)) return kDefaultWidth;
    return negative ? static_cast<int>(-static_cast<std::int64_t>(value)) : static_cast<int>(value);
}

std::string HistoryFileText(const Accounting& a, int form1Width, const SystemClock& now) {
    const auto& records = a.History();
    const auto& adapters = a.Adapters();
    // Room for every line: "dd.mm.yyyy-s" (up to 6+6+6+11), three TABs, two counters of up to
    // ten digits, the name and CR LF.
    std::size_t size = 64 + a.AdapterFilter().size();
    for (const HistoryRecord& r : records) size += 56 + adapters[r.adapter].name.size();
    std::string out;
    out.reserve(size);

    auto setting = [&out](std::string_view key, std::string_view value) {
        out += key;
        out += '=';
        out += value;
        out += "\r\n";
    };
    setting(kShowKey, a.AdapterFilter());
    setting(kWidthKey, std::to_string(form1Width));
    if (a.HideIdle()) setting(kHideIdleKey, "1");
    if (!a.TrayActivity()) setting(kTrayActivityKey, "0");
    if (const std::optional<WindowPlace>& place = a.GraphPlace())
        setting(kGraphWindowKey, std::to_string(place->left) + ' ' + std::to_string(place->top) + ' ' +
                                     std::to_string(place->width) + ' ' + std::to_string(place->height));
    if (a.CountingBoot()) {
        setting(kCountingKey, kCountingBoot);
    } else if (SystemClock clock; a.Readings().ClockOfReadings(now, clock)) {
        // Unless the run has yet to take its first reading with nothing kept, the next start
        // under the same system start goes on from these.
        setting(kSystemStartKey, SystemStartText(clock.start));
        if (clock.hasUptime) setting(kUptimeKey, std::to_string(std::max<std::int64_t>(clock.uptime, 0)));
        for (const RowReading& r : a.Readings().All()) {
            std::string value = std::to_string(r.key) + ' ' + std::to_string(r.in) + ' ' + std::to_string(r.out) + ' ';
            // The name's bytes below 0x20 (which would end the line or make it a record) and "%"
            // itself as "%XX".
            for (const char c : r.name) {
                if (static_cast<unsigned char>(c) < 0x20 || c == '%')
                    AppendHexEscape(value, c);
                else
                    value += c;
            }
            setting(kReadingKey, value);
        }
    }
    for (const HistoryRecord& r : records) {
        AppendNumber(out, r.day);
        out += '.';
        AppendNumber(out, r.month);
        out += '.';
        AppendNumber(out, r.year);
        out += '-';
        AppendNumber(out, r.session);
        out += '\t';
        out += FormatPaddedCount(r.inOctets);
        out += '\t';
        out += FormatPaddedCount(r.outOctets);
        out += '\t';
        out += adapters[r.adapter].name;
        out += "\r\n";
    }
    return out;
}

}  // namespace velkaro
