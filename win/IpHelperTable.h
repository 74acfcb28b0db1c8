// The interface table through IP Helper, loaded at run time: GetIfTable2 (64-bit counters,
// filter rows flagged) where the system has it, else GetIfTable (32-bit counters).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Ports.h"
#include "win/Handles.h"

namespace velkaro::win {

// The room the 32-bit table call gets first: the row count and 513 rows of 860 bytes.
inline constexpr std::size_t kIfTableBufferSize = 441184;

// Key: the interface index. The count is bounded by the rows that fit in `size`; false (rows
// emptied) when not even the count fits.
bool ParseIfTable(const std::uint8_t* data, std::size_t size, std::vector<InterfaceRow>& rows);

// The description converted to the ANSI code page and cut to 256 bytes, as the 32-bit table
// holds it; the LUID as the key.
void FillRowFromIfRow2(const wchar_t* description, std::uint64_t luid, std::uint64_t in,
                       std::uint64_t out, bool filter, InterfaceRow& row);

class IpHelperTable : public InterfaceTable {
public:
    using GetIfTableFn = DWORD(WINAPI*)(void* table, ULONG* size, BOOL order);
    using GetIfTable2Fn = DWORD(WINAPI*)(void** table);
    using FreeMibTableFn = void(WINAPI*)(void* memory);

    IpHelperTable() = default;
    // For tests: uses fn instead of IPHLPAPI.DLL's GetIfTable; Load() then only reports success.
    explicit IpHelperTable(GetIfTableFn fn) : fn_(fn) {}

    // The library stays loaded until this object goes; a second call after success answers true.
    bool Load() override;
    // GetIfTable gets one more call when it asks for a bigger buffer; any other nonzero answer is
    // a failure.
    bool GetIfTable(std::vector<InterfaceRow>& rows) override;
    bool Counters64() const { return table2_ != nullptr; }

private:
    UniqueModule library_;
    GetIfTableFn fn_ = nullptr;
    GetIfTable2Fn table2_ = nullptr;
    FreeMibTableFn free_ = nullptr;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace velkaro::win
