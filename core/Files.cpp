#include "core/Files.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "core/DataFile.h"
#include "core/Formatting.h"
#include "core/Limits.h"
#include "core/NameEscape.h"
#include "core/NumberText.h"
#include "core/Sampler.h"
#include "core/Texts.h"

namespace velkaro {

namespace {

constexpr std::string_view kShowKey = "SHOW";
constexpr std::string_view kWidthKey = "form1.width";
// Written only while on, so that with it off the file is as it always was.
constexpr std::string_view kHideIdleKey = "hide.idle";
// Written only while set: the counters as traffic, the day fixed at start.
constexpr std::string_view kCountingKey = "counting";
constexpr std::string_view kCountingBoot = "boot";
// The system start the readings were taken under, and a line per interface row's last reading.
constexpr std::string_view kSystemStartKey = "boot";
constexpr std::string_view kReadingKey = "reading";
constexpr int kDefaultWidth = 500;

constexpr DataFile kHistoryData{texts::kHistoryFile, texts::kHistoryBackup};
constexpr DataFile kPriceData{texts::kPriceFile, texts::kPriceBackup};
constexpr DataFile kLimitData{texts::kLimitFile, texts::kLimitBackup};

constexpr unsigned kAdapterField = kFieldTrimmed | kFieldStartsLine | kFieldEndsAtBar | kFieldTabLine;
constexpr unsigned kDisplayNameField = kFieldTrimmed | kFieldTabLine;
constexpr unsigned kLimitAdapterField = kFieldStartsLine;

// One line of price.txt; false when it gives no entry. The separators are searched from the
// right, so a display name may hold ">" and "@": the out price follows the last "@", the in
// price the last ">" before it.
bool ReadPriceLine(std::string_view line, TariffEntry& e) {
    if (line.find('\t') != std::string_view::npos) return false;
    const std::size_t p1 = line.find('|');
    if (p1 == std::string_view::npos) return false;
    const std::size_t p3 = line.rfind('@');
    std::size_t p2 = std::string_view::npos;
    if (p3 != std::string_view::npos && p3 > p1) {
        p2 = line.rfind('>', p3);
        if (p2 != std::string_view::npos && p2 <= p1) p2 = std::string_view::npos;
    }
    if (p2 == std::string_view::npos) return false;
    // The file has always allowed control characters around its prices: both fields are
    // trimmed here, as the out price always was, so the number reading's blanks-only rule for
    // typed prices changes nothing in the file.
    const std::string inText(Trim(line.substr(p2 + 1, p3 - p2 - 1)));
    const std::string outText(Trim(line.substr(p3 + 1)));
    if (!TryReadPrice(inText, e.priceIn) || !TryReadPrice(outText, e.priceOut)) return false;
    e.adapter = UnescapedName(Trim(line.substr(0, p1)));
    e.displayName = UnescapedName(Trim(line.substr(p1 + 1, p2 - p1 - 1)));
    return true;
}

// "YYYY-MM", a month of the years 1 to 9999.
bool ReadYearMonth(std::string_view text, YearMonth& m) {
    if (text.size() != 7 || text[4] != '-') return false;
    unsigned year = 0, month = 0;
    for (std::size_t i = 0; i < 7; ++i) {
        if (i == 4) continue;
        const unsigned digit = static_cast<unsigned char>(text[i]) - unsigned{'0'};
        if (digit > 9) return false;
        (i < 4 ? year : month) = (i < 4 ? year : month) * 10 + digit;
    }
    if (year == 0 || month == 0 || month > 12) return false;
    m = YearMonth{static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month)};
    return true;
}

// The fields a line of limits.txt may end with, each "|KEY=VALUE", written only where the
// entry differs from a monthly money limit: "kind=traffic", "day=N" (the period day, 2 to 31),
// "forecast=1" (the forecast's warning of the warned period was given).
constexpr std::string_view kKindKey = "kind";
constexpr std::string_view kKindTraffic = "traffic";
constexpr std::string_view kKindMoney = "money";
constexpr std::string_view kPeriodDayKey = "day";
constexpr std::string_view kForecastKey = "forecast";

// Takes the KEY=VALUE fields off the end of a limits.txt line into e; false for an unknown or
// repeated key, or a value that does not read.
bool ReadLimitExtras(std::string_view& line, LimitEntry& e) {
    bool kind = false, day = false, forecast = false;
    for (;;) {
        const std::size_t bar = line.rfind('|');
        if (bar == std::string_view::npos) return true;
        const std::string_view field = Trim(line.substr(bar + 1));
        const std::size_t eq = field.find('=');
        if (eq == std::string_view::npos) return true;  // the level: the fields of old
        const std::string_view key = field.substr(0, eq);
        const std::string_view value = field.substr(eq + 1);
        if (key == kKindKey && !kind && (value == kKindTraffic || value == kKindMoney)) {
            kind = true;
            e.kind = value == kKindTraffic ? LimitKind::Traffic : LimitKind::Money;
        } else if (key == kPeriodDayKey && !day && ReadPeriodDay(value, e.periodDay)) {
            day = true;
        } else if (key == kForecastKey && !forecast && (value == "0" || value == "1")) {
            forecast = true;
            e.forecastWarned = value == "1";
        } else {
            return false;
        }
        line = line.substr(0, bar);
    }
}

// One line of limits.txt: the adapter, "|", the limit, "|", the month of the last warning
// (YYYY-MM, or nothing), "|", its level (0, 80 or 100), then the KEY=VALUE fields above. The
// three separators before those are the last three "|" left, so the name before them may hold
// "|" itself; it is taken as it is, the other fields trimmed. False when the line gives no
// limit: a field that does not read, a limit that is not above 0, a warning without a month.
bool ReadLimitLine(std::string_view line, LimitEntry& e) {
    if (!ReadLimitExtras(line, e)) return false;
    const std::size_t p3 = line.rfind('|');
    if (p3 == std::string_view::npos || p3 == 0) return false;
    const std::size_t p2 = line.rfind('|', p3 - 1);
    if (p2 == std::string_view::npos || p2 == 0) return false;
    const std::size_t p1 = line.rfind('|', p2 - 1);
    if (p1 == std::string_view::npos) return false;
    const std::string limitText(Trim(line.substr(p1 + 1, p2 - p1 - 1)));
    const std::string_view monthText = Trim(line.substr(p2 + 1, p3 - p2 - 1));
    const std::string_view levelText = Trim(line.substr(p3 + 1));
    if (!TryReadPrice(limitText, e.limit) || !(e.limit > 0)) return false;
    e.warnedMonth = YearMonth{};
    if (!monthText.empty() && !ReadYearMonth(monthText, e.warnedMonth)) return false;
    if (levelText == "0") e.warnedLevel = 0;
    else if (levelText == "80") e.warnedLevel = 80;
    else if (levelText == "100") e.warnedLevel = 100;
    else return false;
    if (e.warnedMonth.year == 0 && (e.warnedLevel != 0 || e.forecastWarned)) return false;
    e.adapter = UnescapedName(line.substr(0, p1));
    return true;
}

// A reading line's name: the bytes below 0x20 (which would end the line or make it a record)
// and "%" itself as "%XX".
void AppendReadingName(std::string& out, std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '%') {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
}

bool ReadReadingName(std::string_view text, std::string& name) {
    name.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            name += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        unsigned value = 0;
        for (std::size_t k = i + 1; k <= i + 2; ++k) {
            const char c = text[k];
            const unsigned digit = c >= '0' && c <= '9' ? unsigned(c - '0')
                                   : c >= 'A' && c <= 'F' ? unsigned(c - 'A' + 10)
                                                          : 16u;
            if (digit > 15) return false;
            value = value * 16 + digit;
        }
        name += static_cast<char>(value);
        i += 2;
    }
    return true;
}

bool ReadU64(std::string_view text, std::uint64_t& value) {
    if (text.empty()) return false;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    return res.ec == std::errc() && res.ptr == text.data() + text.size();
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
    return ReadU64(fields[0], r.key) && ReadU64(fields[1], r.in) && ReadU64(fields[2], r.out) &&
           ReadReadingName(value, r.name);
}

// What a history file kept of the interface rows' readings.
struct KeptReadings {
    bool hasStart = false;
    std::int64_t systemStart = 0;
    std::vector<RowReading> readings;
};

// The file's entries with this run's changes over them: the prices and display names the
// run changed while the file was unread replace the file's of the same adapter, and the
// run's adapters the file lacks follow the file's, in the run's order.
std::vector<TariffEntry> MergedPrices(const Accounting& a, std::vector<TariffEntry> file) {
    std::unordered_map<std::string_view, std::size_t> inFile;  // the first entry of each adapter
    for (std::size_t i = 0; i < file.size(); ++i) inFile.try_emplace(file[i].adapter, i);
    const EditsWhileUnread& edits = a.editsWhileUnread;
    for (const std::string& adapter : edits.prices) {
        const auto at = inFile.find(adapter);
        const TariffEntry* run = FindTariffEntry(a, adapter);
        if (at == inFile.end() || !run) continue;
        file[at->second].priceIn = run->priceIn;
        file[at->second].priceOut = run->priceOut;
    }
    for (const std::string& adapter : edits.displayNames) {
        const auto at = inFile.find(adapter);
        const TariffEntry* run = FindTariffEntry(a, adapter);
        if (at != inFile.end() && run) file[at->second].displayName = run->displayName;
    }
    std::vector<TariffEntry> added;
    for (const TariffEntry& run : a.Tariffs())
        if (!inFile.contains(run.adapter)) added.push_back(run);
    file.insert(file.end(), added.begin(), added.end());
    return file;
}

bool SameLimit(const LimitEntry& x, const LimitEntry& y) { return x.kind == y.kind && x.adapter == y.adapter; }

// The same for the limits: a limit the run set, changed, removed or warned of has the run's
// entry in the file's place, or none; an adapter's limits the run changed take its period day.
std::vector<LimitEntry> MergedLimits(const Accounting& a, std::vector<LimitEntry> file) {
    auto edited = [&](const LimitEntry& e) { return a.editsWhileUnread.limits.contains(LimitEditKey(e.adapter, e.kind)); };
    std::vector<LimitEntry> merged;
    for (const LimitEntry& e : file) {
        if (!edited(e))
            merged.push_back(e);
        else if (const LimitEntry* run = FindLimit(a, e.adapter, e.kind))
            merged.push_back(*run);
    }
    for (const LimitEntry& run : a.Limits())
        if (std::none_of(file.begin(), file.end(), [&](const LimitEntry& e) { return SameLimit(e, run); }))
            merged.push_back(run);
    for (LimitEntry& m : merged)
        for (const LimitEntry& run : a.Limits())
            if (run.adapter == m.adapter && edited(run)) m.periodDay = run.periodDay;
    return merged;
}

// A load empties a table whose file is missing; a save that tries a file it could not read
// before keeps the run's table then, to be written.
enum class TableRead { Load, Retry };

void LoadPriceFile(Accounting& a, FilePorts& ports, TableRead how, std::vector<std::string>& notices) {
    const bool wasUnread = !a.priceFile.read;  // the run's table may hold what the file lacks
    std::string bytes;
    const FileFound found = ReadDataFile(ports.files, kPriceData, a.priceFile, bytes);
    if (found == FileFound::Missing && how == TableRead::Load) a.Tariffs().clear();
    if (found == FileFound::Unreadable) return;  // the table stays as it is
    std::vector<TariffEntry> table;
    if (found == FileFound::Read)
        ParseDataFile(ports.files, kPriceData, a.priceFile, std::move(bytes), notices, [&](std::string_view line) {
            TariffEntry e;
            if (!ReadPriceLine(line, e)) return false;
            table.push_back(std::move(e));
            return true;
        });
    a.Tariffs() = wasUnread ? MergedPrices(a, std::move(table)) : std::move(table);
    a.editsWhileUnread.prices.clear();
    a.editsWhileUnread.displayNames.clear();
}

// limits.txt is read as price.txt is.
void LoadLimitFile(Accounting& a, FilePorts& ports, TableRead how, std::vector<std::string>& notices) {
    const bool wasUnread = !a.limitFile.read;
    std::string bytes;
    const FileFound found = ReadDataFile(ports.files, kLimitData, a.limitFile, bytes);
    if (found == FileFound::Missing && how == TableRead::Load) a.Limits().clear();
    if (found == FileFound::Unreadable) return;
    a.limitFileOnDisk = found == FileFound::Read;
    std::vector<LimitEntry> limits;
    if (found == FileFound::Read)
        ParseDataFile(ports.files, kLimitData, a.limitFile, std::move(bytes), notices, [&](std::string_view line) {
            LimitEntry e;
            // A second limit of an adapter and kind, or one whose day is not that of the
            // adapter's other limit, is a bad line.
            if (!ReadLimitLine(line, e) || std::any_of(limits.begin(), limits.end(), [&](const LimitEntry& o) {
                    return o.adapter == e.adapter && (o.kind == e.kind || o.periodDay != e.periodDay);
                }))
                return false;
            limits.push_back(std::move(e));
            return true;
        });
    a.Limits() = wasUnread ? MergedLimits(a, std::move(limits)) : std::move(limits);
    a.editsWhileUnread.limits.clear();
    a.RefreshPeriods();
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
        if (!run.empty() && run.back().adapter == a.AdapterNameOf(r) && run.back().day == Date{r.year, r.month, r.day}) {
            run.back().in += r.inOctets;
            run.back().out += r.outOctets;
        } else {
            run.push_back(RunTraffic{a.AdapterNameOf(r), Date{r.year, r.month, r.day}, r.inOctets, r.outOctets});
        }
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
        std::size_t index = SIZE_MAX;
        if (a.FindAdapter(t.adapter, id)) {
            auto it = open.find(key(id, t.day));
            if (it != open.end()) index = it->second;
        }
        if (index == SIZE_MAX) {
            HistoryRecord r;
            r.year = t.day.year;
            r.month = t.day.month;
            r.day = t.day.day;
            index = a.AppendHistoryRecord(t.adapter, r);
            id = a.History()[index].adapter;
        }
        open[key(id, t.day)] = AddToOpenRecord(a, index, t.in, t.out);
    }
}

// Reads history.txt into the table. At start-up (or a reload) the file's records replace the
// table; a save that reads a file it could not read before adds the run's counted traffic to
// them, since the run counted what the file has not seen.
void LoadHistoryFile(Accounting& a, FilePorts& ports, TableRead how, std::vector<std::string>& notices) {
    // The file's word on the readings counts until this run reads the table, but a reload
    // after a clear finds only what this run wrote or nothing: the run's readings stay.
    const bool takeReadings = !a.filesLoaded || how == TableRead::Retry;
    std::string bytes;
    const FileFound found = ReadDataFile(ports.files, kHistoryData, a.historyFile, bytes);
    if (found == FileFound::Missing && takeReadings) a.readings.TakeKept(false, 0, 0, {});
    if (found != FileFound::Read) return;  // missing or unread: the table and the settings stay as they are
    std::vector<RunTraffic> run;
    if (how == TableRead::Retry && !a.countingBoot) run = TrafficOfRun(a);
    a.ClearHistory();
    KeptReadings kept;
    // Names seen in this file, as views into its bytes: no allocation for known names.
    std::unordered_map<std::string_view, AdapterId> ids;
    ParseDataFile(ports.files, kHistoryData, a.historyFile, std::move(bytes), notices, [&](std::string_view line) {
        if (line.find('\t') != std::string_view::npos) {
            HistoryRecord r;
            r.day = static_cast<std::uint16_t>(ReadFieldNumber(line, '.', false));
            r.month = static_cast<std::uint16_t>(ReadFieldNumber(line, '.', false));
            r.year = static_cast<std::uint16_t>(ReadFieldNumber(line, '-', false));
            r.session = static_cast<std::int32_t>(ReadFieldNumber(line, '\t', false));
            r.inOctets = ReadFieldNumber(line, '\t', true);
            r.outOctets = ReadFieldNumber(line, '\t', true);
            auto it = ids.find(line);
            if (it != ids.end()) {
                a.AppendHistoryRecord(it->second, r);
            } else {
                const std::size_t index = a.AppendHistoryRecord(std::string(line), r);
                ids.emplace(line, a.History()[index].adapter);
            }
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
            kept.hasStart = ReadSystemStartText(value, kept.systemStart);
            return kept.hasStart;
        } else if (key == kCountingKey) {
            a.countingBoot = value == kCountingBoot;
        } else if (key == kShowKey) {
            a.adapterFilter = std::string(value);
        } else if (key == kWidthKey) {
            ports.window.SetOuterWidth(ReadWidthSetting(value));
        } else if (key == kHideIdleKey) {
            a.hideIdle = value == "1";  // 0, or anything else: off
        }
        return true;
    });
    if (takeReadings)
        a.readings.TakeKept(kept.hasStart, kept.systemStart, ports.clock.SystemStartTime(), std::move(kept.readings));
    AddTrafficOfRun(a, run);
}

std::vector<UnreadFile> UnreadFiles(const Accounting& a) {
    std::vector<UnreadFile> unread;
    if (!a.historyFile.read) unread.push_back({texts::kHistoryFile, a.historyFile.failure});
    if (!a.priceFile.read) unread.push_back({texts::kPriceFile, a.priceFile.failure});
    if (!a.limitFile.read) unread.push_back({texts::kLimitFile, a.limitFile.failure});
    return unread;
}

// "history.txt (доступ запрещён)", or two such joined by "и", or three as "a, b и c".
std::string FileList(const std::vector<UnreadFile>& files) {
    std::string list;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const UnreadFile& f = files[i];
        if (i > 0) list += i + 1 == files.size() ? texts::kAndFile : texts::kListJoin;
        list += f.name;
        list += " (";
        list += ReadFailureReason(f.code);
        list += ')';
    }
    return list;
}

template <class T> void AppendNumber(std::string& out, T value) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

}  // namespace

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
        if (digit > 9) continue;
        if (!tooLarge) {
            value = value * 10 + digit;
            if (value > limit) tooLarge = true;
        }
    }
    line.remove_prefix(d ? len + 1 : len);
    return tooLarge ? 0 : static_cast<std::uint32_t>(value);
}

int ReadWidthSetting(std::string_view v) {
    bool negative = false;
    if (!v.empty() && (v.front() == '+' || v.front() == '-')) {
        negative = v.front() == '-';
        v.remove_prefix(1);
    }
    unsigned base = 10;
    if (!v.empty() && v.front() == '$') {
        base = 16;
        v.remove_prefix(1);
    } else if (v.size() >= 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
        base = 16;
        v.remove_prefix(2);
    }
    if (v.empty()) return kDefaultWidth;
    const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
    std::uint64_t value = 0;
    for (char c : v) {
        unsigned digit;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
        else return kDefaultWidth;
        value = value * base + digit;
        if (value > limit) return kDefaultWidth;
    }
    return negative ? static_cast<int>(-static_cast<std::int64_t>(value)) : static_cast<int>(value);
}

std::string HistoryFileText(const Accounting& a, int form1Width, std::int64_t systemStart) {
    const auto& records = a.History();
    const auto& adapters = a.Adapters();
    // Room for every line: "dd.mm.yyyy-s" (up to 6+6+6+11), three TABs, two counters of up to
    // ten digits, the name and CR LF.
    std::size_t size = 64 + a.adapterFilter.size();
    for (const HistoryRecord& r : records) size += 56 + adapters[r.adapter].name.size();
    std::string out;
    out.reserve(size);

    out += kShowKey;
    out += '=';
    out += a.adapterFilter;
    out += "\r\n";
    out += kWidthKey;
    out += '=';
    AppendNumber(out, form1Width);
    out += "\r\n";
    if (a.hideIdle) {
        out += kHideIdleKey;
        out += "=1\r\n";
    }
    if (a.countingBoot) {
        out += kCountingKey;
        out += '=';
        out += kCountingBoot;
        out += "\r\n";
    } else if (a.readings.StartRule() != InterfaceReadings::Start::Baseline) {
        // Unless the run has yet to take its first reading with nothing kept, the next start
        // under the same system start goes on from these.
        out += kSystemStartKey;
        out += '=';
        out += SystemStartText(systemStart);
        out += "\r\n";
        for (const RowReading& r : a.readings.All()) {
            out += kReadingKey;
            out += '=';
            for (const std::uint64_t field : {r.key, r.in, r.out}) {
                AppendNumber(out, field);
                out += ' ';
            }
            AppendReadingName(out, r.name);
            out += "\r\n";
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

std::string LimitFileText(const Accounting& a, char sep) {
    std::string out;
    for (const LimitEntry& e : a.Limits()) {
        AppendEscapedName(out, e.adapter, kLimitAdapterField);
        out += '|';
        out += FormatPriceGeneral(e.limit, sep);
        out += '|';
        if (e.warnedMonth.year != 0) {
            char month[8];
            std::snprintf(month, sizeof month, "%04u-%02u", unsigned{e.warnedMonth.year} % 10000u,
                          unsigned{e.warnedMonth.month} % 100u);
            out += month;
        }
        out += '|';
        AppendNumber(out, e.warnedLevel);
        auto extra = [&](std::string_view key, std::string_view value) {
            out += '|';
            out += key;
            out += '=';
            out += value;
        };
        if (e.kind == LimitKind::Traffic) extra(kKindKey, kKindTraffic);
        if (e.periodDay != kFirstPeriodDay) extra(kPeriodDayKey, std::to_string(e.periodDay));
        if (e.forecastWarned) extra(kForecastKey, "1");
        out += "\r\n";
    }
    return out;
}

std::string PriceFileText(const Accounting& a, char sep) {
    std::string out;
    for (const TariffEntry& e : a.Tariffs()) {
        AppendEscapedName(out, e.adapter, kAdapterField);
        out += '|';
        AppendEscapedName(out, e.displayName, kDisplayNameField);
        out += '>';
        out += FormatPriceGeneral(e.priceIn, sep);
        out += '@';
        out += FormatPriceGeneral(e.priceOut, sep);
        out += "\r\n";
    }
    return out;
}

std::string ReadFailureReason(int code) {
    switch (code) {
        case kIoAccessDenied: return texts::kReasonAccessDenied;
        case 32: return texts::kReasonSharingViolation;
        case 33: return texts::kReasonLockViolation;
        case kIoTooManyOpenFiles: return texts::kReasonTooManyOpenFiles;
        case 21: return texts::kReasonNotReady;
        case 53: return texts::kReasonBadNetPath;
        default: return FillText(texts::kReasonOther, {std::to_string(code)});
    }
}

std::string UnwrittenText(const std::vector<UnreadFile>& files) {
    return FillText(files.size() == 1 ? texts::kUnwrittenOne : texts::kUnwrittenTwo, {FileList(files)});
}

void LoadFiles(Accounting& a, FilePorts& ports) {
    const Date today = ports.clock.Today();
    a.SetAccountingDate(today);
    // The limits' date from the start, so that the records loaded sum into their periods as
    // they come and the first tick has nothing to rebuild.
    a.SetLimitTime(today, ports.clock.SecondOfDay());
    // What a save that was ended half-way left behind.
    for (const DataFile& file : {kPriceData, kHistoryData, kLimitData}) RemoveTemporaryFiles(ports.files, file);

    // A file already known unread (a reload after a clear) has been named before.
    const bool historyWasUnread = a.filesLoaded && !a.historyFile.read;
    const bool priceWasUnread = a.filesLoaded && !a.priceFile.read;
    const bool limitWasUnread = a.filesLoaded && !a.limitFile.read;
    std::vector<std::string> notices;
    LoadPriceFile(a, ports, TableRead::Load, notices);
    LoadLimitFile(a, ports, TableRead::Load, notices);
    LoadHistoryFile(a, ports, TableRead::Load, notices);
    a.filesLoaded = true;

    std::vector<UnreadFile> unread = UnreadFiles(a);
    std::erase_if(unread, [&](const UnreadFile& f) {
        return f.name == texts::kHistoryFile ? historyWasUnread
               : f.name == texts::kPriceFile ? priceWasUnread
                                             : limitWasUnread;
    });
    if (!unread.empty())
        ports.dialogs.ShowMessage(
            FillText(unread.size() == 1 ? texts::kUnreadAtStartOne : texts::kUnreadAtStartTwo, {FileList(unread)}));
    for (const std::string& notice : notices) ports.dialogs.ShowMessage(notice);
}

std::vector<UnreadFile> SaveFiles(Accounting& a, FilePorts& ports) {
    if (!a.filesLoaded) return {};
    // The files this run could not read yet, each by its own step: what reads now is taken
    // in, with the run's changes kept over the file's where that file's step does so.
    std::vector<std::string> notices;
    if (!a.priceFile.read) LoadPriceFile(a, ports, TableRead::Retry, notices);
    if (!a.limitFile.read) LoadLimitFile(a, ports, TableRead::Retry, notices);
    if (!a.historyFile.read) LoadHistoryFile(a, ports, TableRead::Retry, notices);
    for (const std::string& notice : notices) ports.dialogs.ShowMessage(notice);

    if (a.historyFile.read)
        ReplaceDataFile(ports.files, kHistoryData, a.historyFile,
                        HistoryFileText(a, ports.window.OuterWidth(), ports.clock.SystemStartTime()));
    if (a.priceFile.read)
        ReplaceDataFile(ports.files, kPriceData, a.priceFile, PriceFileText(a, ports.regional.DecimalSeparator()));
    // No file while there is no limit and never was one; once there is a file, it follows
    // the limits, down to empty.
    if (a.limitFile.read && (a.limitFileOnDisk || !a.Limits().empty())) {
        ReplaceDataFile(ports.files, kLimitData, a.limitFile, LimitFileText(a, ports.regional.DecimalSeparator()));
        a.limitFileOnDisk = true;
    }
    return UnreadFiles(a);
}

}  // namespace velkaro
