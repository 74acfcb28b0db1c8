#include "core/Files.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "core/AppError.h"
#include "core/NumberText.h"
#include "core/Texts.h"
#include "core/Formatting.h"

namespace velkaro {

namespace {

constexpr std::string_view kShowKey = "SHOW";
constexpr std::string_view kWidthKey = "form1.width";
// Written only while on, so that with it off the file is as it always was.
constexpr std::string_view kHideIdleKey = "hide.idle";
constexpr int kDefaultWidth = 500;

// Blanks and control characters, as trimming sees them.
bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsTrimmed(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsTrimmed(s.back())) s.remove_suffix(1);
    return s;
}

// Calls f(line) for every line of a file's bytes. A line ends at LF; a CR right before the
// LF, or a CR that is the last byte of the file, belongs to the line end.
template <class F> void ForEachLine(std::string_view bytes, F&& f) {
    while (!bytes.empty()) {
        const void* lf = std::memchr(bytes.data(), '\n', bytes.size());
        std::size_t len = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - bytes.data())
                             : bytes.size();
        std::string_view line = bytes.substr(0, len);
        bytes.remove_prefix(lf ? len + 1 : len);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        f(line);
    }
}

// Codes with which a file cannot be opened at all: it is then left alone, not an error.
bool IsMissing(int code) { return code == kIoFileNotFound || code == kIoInvalidFilename; }
bool IsUnopenable(int code) { return code == kIoAccessDenied || code == 32 /* sharing violation */; }

std::string NotAFloatText(std::string_view text) {
    std::string message = texts::kNotAFloat;
    const std::size_t at = message.find("%s");
    message.replace(at, 2, text.data(), text.size());
    return message;
}

// One line of price.txt. The separators are searched from the right, so a display name may
// hold ">" and "@": the out price follows the last "@", the in price the last ">" before it.
void LoadPriceLine(Accounting& a, std::string_view line, Dialogs& dialogs) {
    if (line.find('\t') != std::string_view::npos) return;
    const std::size_t p1 = line.find('|');
    if (p1 == std::string_view::npos) return;
    const std::size_t p3 = line.rfind('@');
    std::size_t p2 = std::string_view::npos;
    if (p3 != std::string_view::npos && p3 > p1) {
        p2 = line.rfind('>', p3);
        if (p2 != std::string_view::npos && p2 <= p1) p2 = std::string_view::npos;
    }
    if (p2 == std::string_view::npos) {
        dialogs.ShowMessage(NotAFloatText(""));
        return;
    }
    // The file has always allowed control characters around its prices (a stray CR, a TAB
    // run through an editor): both fields are trimmed here, as the out price always was, so
    // the number reading's blanks-only rule for typed prices changes nothing in the file.
    const std::string_view inField = line.substr(p2 + 1, p3 - p2 - 1);
    const std::string inText(Trim(inField));
    const std::string outText(Trim(line.substr(p3 + 1)));
    TariffEntry e;
    if (!TryReadPrice(inText, e.priceIn)) {
        dialogs.ShowMessage(NotAFloatText(inField));
        return;
    }
    if (!TryReadPrice(outText, e.priceOut)) {
        dialogs.ShowMessage(NotAFloatText(outText));
        return;
    }
    e.adapter = std::string(Trim(line.substr(0, p1)));
    e.displayName = std::string(Trim(line.substr(p1 + 1, p2 - p1 - 1)));
    a.Tariffs().push_back(std::move(e));
}

void LoadPriceText(Accounting& a, std::string_view bytes, Dialogs& dialogs) {
    ForEachLine(bytes, [&](std::string_view line) {
        if (a.Tariffs().size() >= kTariffCapacity) return;
        LoadPriceLine(a, line, dialogs);
    });
}

void LoadHistoryText(Accounting& a, std::string_view bytes, WindowHost& window) {
    // Names seen in this file, as views into its bytes: no allocation for known names.
    std::unordered_map<std::string_view, AdapterId> ids;
    ForEachLine(bytes, [&](std::string_view line) {
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
            return;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) return;
        const std::string_view key = Trim(line.substr(0, eq));
        const std::string_view value = Trim(line.substr(eq + 1));
        if (key == kShowKey)
            a.adapterFilter = std::string(value);
        else if (key == kWidthKey)
            window.SetOuterWidth(ReadWidthSetting(value));
        else if (key == kHideIdleKey)
            a.hideIdle = value == "1";  // 0, or anything else: off
    });
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

std::string HistoryFileText(const Accounting& a, int form1Width) {
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

std::string PriceFileText(const Accounting& a, char sep) {
    std::string out;
    for (const TariffEntry& e : a.Tariffs()) {
        out += e.adapter;
        out += '|';
        out += e.displayName;
        out += '>';
        out += FormatPriceGeneral(e.priceIn, sep);
        out += '@';
        out += FormatPriceGeneral(e.priceOut, sep);
        out += "\r\n";
    }
    return out;
}

void LoadFiles(Accounting& a, FilePorts& ports) {
    a.filesLoaded = false;
    a.SetAccountingDate(ports.clock.Today());

    a.Tariffs().clear();
    std::string bytes;
    bool priceSeen = true;
    int code = ports.files.ReadAll(texts::kPriceFile, bytes);
    if (code == kIoOk)
        LoadPriceText(a, bytes, ports.dialogs);
    else if (IsUnopenable(code))
        priceSeen = false;
    else if (!IsMissing(code))
        RaiseIoError(code);

    bytes.clear();
    bool historySeen = true;
    code = ports.files.ReadAll(texts::kHistoryFile, bytes);
    if (code == kIoOk) {
        a.ClearHistory();
        LoadHistoryText(a, bytes, ports.window);
    } else if (IsUnopenable(code)) {
        historySeen = false;
    } else if (!IsMissing(code)) {
        RaiseIoError(code);
    }
    a.filesLoaded = priceSeen && historySeen;
}

void ost(const Accounting& a, FilePorts& ports) {
    if (!a.filesLoaded) return;
    int code = ports.files.ReplaceAll(texts::kHistoryFile, HistoryFileText(a, ports.window.OuterWidth()));
    if (code != kIoOk) RaiseIoError(code);
    code = ports.files.ReplaceAll(texts::kPriceFile, PriceFileText(a, ports.regional.DecimalSeparator()));
    if (code != kIoOk) RaiseIoError(code);
}

}  // namespace velkaro
