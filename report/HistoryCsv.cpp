#include "report/HistoryCsv.h"

#include <cstdio>
#include <vector>

#include "core/Cp1251.h"
#include "core/Formatting.h"
#include "core/Texts.h"
#include "report/DayTotals.h"

namespace velkaro {

namespace {

constexpr char kSeparator = ';';
constexpr char kCrLf[] = "\r\n";
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// DD.MM.YYYY, as a spreadsheet in Russian settings reads a date.
std::string DateText(const Date& d) {
    char text[24];
    std::snprintf(text, sizeof text, "%02u.%02u.%04u", static_cast<unsigned>(d.day), static_cast<unsigned>(d.month),
                  static_cast<unsigned>(d.year));
    return text;
}

}  // namespace

std::string CsvField(std::string_view field) {
    if (field.find_first_of("\";\r\n") == std::string_view::npos) return std::string(field);
    std::string out = "\"";
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string HistoryCsvText(const Accounting& a, char sep) {
    // Built in Windows-1251, as the program holds its texts and names, then converted.
    std::string text;
    auto row = [&](std::initializer_list<std::string_view> fields) {
        bool first = true;
        for (const std::string_view f : fields) {
            if (!first) text += kSeparator;
            text += CsvField(f);
            first = false;
        }
        text += kCrLf;
    };
    row({texts::kCsvDate, texts::kCsvAdapter, texts::kCsvName, texts::kCsvReceived, texts::kCsvSent,
         texts::kCsvCost});

    AdapterId shown = 0;
    const bool filtered = !a.AdapterFilter().empty();
    if (!filtered || a.FindAdapter(a.AdapterFilter(), shown)) {
        struct Shown {
            const TariffEntry* prices = nullptr;
            std::string displayName;
            std::vector<PricePeriod> earlier;  // oldest first
        };
        std::vector<Shown> adapters(a.Adapters().size());
        for (AdapterId id = 0; id < adapters.size(); ++id) {
            const std::string& name = a.Adapters()[id].name;
            adapters[id] = Shown{FindTariffEntry(a, name), GetDisplayName(a, name), EarlierPricesOf(a, name)};
        }
        for (const AdapterDay& d : DayTotals(a, filtered ? &shown : nullptr)) {
            const Shown& s = adapters[d.adapter];
            // Each day at the prices it had; no entry: the current prices are 0.
            const Prices prices = PricesOnDay(s.earlier, PricesOf(s.prices), d.date);
            const long double cost = DayCost(prices.in, prices.out, d.in, d.out);
            row({DateText(d.date), a.Adapters()[d.adapter].name, s.displayName, std::to_string(d.in),
                 std::to_string(d.out), FormatFixed(cost, 2, sep)});
        }
    }
    return kByteOrderMark + Utf8FromCp1251(text);
}

}  // namespace velkaro
