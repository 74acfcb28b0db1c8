// The texts of price.txt, tariffs.txt and limits.txt (core/PriceFile.cpp,
// core/EarlierPriceFile.cpp, core/LimitFile.cpp); what loading and saving do with them is in
// core/Files.h.
#pragma once

#include <string>
#include <string_view>

#include "core/Accounting.h"
#include "core/DataFile.h"
#include "core/Texts.h"

namespace velkaro {

inline constexpr DataFile kPriceData{texts::kPriceFile, texts::kPriceBackup};
inline constexpr DataFile kLimitData{texts::kLimitFile, texts::kLimitBackup};
inline constexpr DataFile kTariffData{texts::kTariffFile, texts::kTariffBackup};

void LoadPriceFile(Accounting& a, DataFiles& data, FilePorts& ports, TableRead how, FileNotes& notes);
// The earlier prices of tariffs.txt (read after price.txt).
void LoadEarlierPriceFile(Accounting& a, DataFiles& data, FilePorts& ports, TableRead how, FileNotes& notes);
void LoadLimitFile(Accounting& a, DataFiles& data, FilePorts& ports, TableRead how, FileNotes& notes);

// A line "ADAPTER|MIDDLE>IN@OUT" of price.txt or tariffs.txt: the adapter's escapes undone,
// the middle field (the display name, or the last day) trimmed, the prices read. False when the
// line gives no entry.
struct PriceLineFields {
    std::string adapter;
    std::string_view middle;
    double priceIn = 0;
    double priceOut = 0;
};
bool ReadPriceLineFields(std::string_view line, PriceLineFields& fields);
// ">IN@OUT" and the line's end.
void AppendPrices(std::string& out, double priceIn, double priceOut, char sep);

// Amounts with the decimal separator sep.
std::string PriceFileText(const Accounting& a, char sep);
std::string EarlierPriceFileText(const Accounting& a, char sep);
std::string LimitFileText(const Accounting& a, char sep);

}  // namespace velkaro
