// limits.txt: a line per limit, with the last warnings it gave.
#include <algorithm>
#include <cstdio>

#include "core/Files.h"
#include "core/Formatting.h"
#include "core/Limits.h"

namespace velkaro {

namespace {

constexpr unsigned kLimitAdapterField = kFieldStartsLine;

// "YYYY-MM", a month of the years 1 to 9999.
bool ReadYearMonth(std::string_view text, YearMonth& m) {
    unsigned year = 0, month = 0;
    if (text.size() != 7 || text[4] != '-' || !ReadDigits(text.substr(0, 4), year) ||
        !ReadDigits(text.substr(5), month) || year == 0 || month == 0 || month > 12)
        return false;
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
    std::string_view limitText, monthText, levelText;
    for (std::string_view* field : {&levelText, &monthText, &limitText}) {
        const std::size_t bar = line.rfind('|');
        if (bar == std::string_view::npos) return false;
        *field = Trim(line.substr(bar + 1));
        line = line.substr(0, bar);
    }
    if (!TryReadPrice(std::string(limitText), e.limit) || !(e.limit > 0)) return false;
    e.warnedMonth = YearMonth{};
    if (!monthText.empty() && !ReadYearMonth(monthText, e.warnedMonth)) return false;
    if (levelText == "0") e.warnedLevel = 0;
    else if (levelText == "80") e.warnedLevel = 80;
    else if (levelText == "100") e.warnedLevel = 100;
    else return false;
    if (e.warnedMonth.year == 0 && (e.warnedLevel != 0 || e.forecastWarned)) return false;
    e.adapter = UnescapedName(line);
    return true;
}

bool SameLimit(const LimitEntry& x, const LimitEntry& y) { return x.kind == y.kind && x.adapter == y.adapter; }

// The same for the limits: a limit the run set, changed, removed or warned of has the run's
// entry in the file's place, or none; an adapter's limits the run changed take its period day.
std::vector<LimitEntry> MergedLimits(const Accounting& a, const EditsWhileUnread& edits, std::vector<LimitEntry> file) {
    auto edited = [&](const LimitEntry& e) { return edits.limits.contains(LimitEditKey(e.adapter, e.kind)); };
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

}  // namespace

// limits.txt is read as price.txt is.
void LoadLimitFile(Accounting& a, DataFiles& data, FilePorts& ports, TableRead how, FileNotes& notes) {
    const bool wasUnread = !data.limitFile.read;
    std::string bytes;
    const FileFound found = ReadDataFile(ports.files, kLimitData, data.limitFile, bytes);
    if (found == FileFound::Missing && how == TableRead::Load) a.ReplaceLimits({});
    if (found == FileFound::Unreadable) return;
    data.limitFileOnDisk = found == FileFound::Read;
    std::vector<LimitEntry> limits;
    if (found == FileFound::Read)
        ParseDataFile(ports.files, kLimitData, data.limitFile, std::move(bytes), notes, [&](std::string_view line) {
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
    a.ReplaceLimits(wasUnread ? MergedLimits(a, data.editsWhileUnread, std::move(limits)) : std::move(limits));
    data.editsWhileUnread.limits.clear();
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

}  // namespace velkaro
