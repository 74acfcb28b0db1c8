// The texts of price.txt, tariffs.txt and limits.txt (core/PriceFile.cpp,
// core/EarlierPriceFile.cpp, core/LimitFile.cpp); what loading and saving do with them is in
// core/Files.h.
#pragma once

#include <string>

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

// Amounts with the decimal separator sep.
std::string PriceFileText(const Accounting& a, char sep);
std::string EarlierPriceFileText(const Accounting& a, char sep);
std::string LimitFileText(const Accounting& a, char sep);

}  // namespace velkaro
