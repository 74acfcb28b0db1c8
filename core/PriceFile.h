// price.txt: a line per adapter with its display name and its two prices.
#pragma once

#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/DataFile.h"
#include "core/Texts.h"

namespace velkaro {

inline constexpr DataFile kPriceData{texts::kPriceFile, texts::kPriceBackup};

// Reads price.txt into the TariffTable (what LoadFiles and SaveFiles say of it, core/Files.h).
void LoadPriceFile(Accounting& a, FilePorts& ports, TableRead how, std::vector<std::string>& notices);
// The bytes of price.txt as the save writes them, the prices with the decimal separator sep.
std::string PriceFileText(const Accounting& a, char sep);

}  // namespace velkaro
