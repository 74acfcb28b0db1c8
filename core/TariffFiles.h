// price.txt (a line per adapter with its display name and its two prices) and limits.txt (a
// line per limit of an adapter, with the warnings it gave): what LoadFiles and SaveFiles say of
// them is in core/Files.h. Each is read into its table, and written from it, by its own file
// (core/PriceFile.cpp, core/LimitFile.cpp).
#pragma once

#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/DataFile.h"
#include "core/Texts.h"

namespace velkaro {

inline constexpr DataFile kPriceData{texts::kPriceFile, texts::kPriceBackup};
inline constexpr DataFile kLimitData{texts::kLimitFile, texts::kLimitBackup};

void LoadPriceFile(Accounting& a, DataFiles& data, FilePorts& ports, TableRead how, FileNotes& notes);
void LoadLimitFile(Accounting& a, DataFiles& data, FilePorts& ports, TableRead how, FileNotes& notes);

// The bytes of each file as the save writes them, amounts with the decimal separator sep.
std::string PriceFileText(const Accounting& a, char sep);
std::string LimitFileText(const Accounting& a, char sep);

}  // namespace velkaro
