// limits.txt: a line per limit of an adapter, with the warnings it gave.
#pragma once

#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/DataFile.h"
#include "core/Texts.h"

namespace velkaro {

inline constexpr DataFile kLimitData{texts::kLimitFile, texts::kLimitBackup};

// Reads limits.txt into the limits (what LoadFiles and SaveFiles say of it, core/Files.h).
void LoadLimitFile(Accounting& a, FilePorts& ports, TableRead how, std::vector<std::string>& notices);
// The bytes of limits.txt as the save writes them, the amounts with the decimal separator sep.
std::string LimitFileText(const Accounting& a, char sep);

}  // namespace velkaro
