#include "report/HistoryReport.h"

#include "core/Cp1251.h"
#include "core/Formatting.h"
#include "core/Texts.h"

namespace velkaro {

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
    constexpr char kSeparator = ';';
    constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
    // Built in Windows-1251, as the program holds its texts and names, then converted.
    std::string text;
    auto row = [&](std::initializer_list<std::string_view> fields) {
        for (const std::string_view f : fields) text += CsvField(f) + kSeparator;
        text.replace(text.size() - 1, 1, kCrLf);  // in place of the last separator
    };
    row({texts::kCsvDate, texts::kCsvAdapter, texts::kColumnName, texts::kCsvReceived, texts::kCsvSent,
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
            const long double cost = Money(PricesOnDay(s.earlier, PricesOf(s.prices), d.date), d.in, d.out);
            // DD.MM.YYYY, as a spreadsheet in Russian settings reads a date.
            row({DottedDateText(d.date), a.Adapters()[d.adapter].name, s.displayName, std::to_string(d.in),
                 std::to_string(d.out), FormatFixed(cost, 2, sep)});
        }
    }
    return kByteOrderMark + Utf8FromCp1251(text);
}

}  // namespace velkaro
