// The interface table through IP Helper's GetIfTable, loaded at run time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Ports.h"
#include "win/Handles.h"

namespace velkaro::win {

// The room the table call gets first: the row count and 513 rows of 860 bytes.
inline constexpr std::size_t kIfTableBufferSize = 441184;
inline constexpr std::size_t kIfRowSize = 860;

// Reads a MIB_IFTABLE of `size` bytes into rows. The row count is bounded by the rows that fit
// in `size`; false (rows emptied) when not even the count fits.
bool ParseIfTable(const std::uint8_t* data, std::size_t size, std::vector<InterfaceRow>& rows);

class IpHelperTable : public InterfaceTable {
public:
    using GetIfTableFn = DWORD(WINAPI*)(void* table, ULONG* size, BOOL order);

    IpHelperTable() = default;
    // For tests: uses fn instead of IPHLPAPI.DLL's function; Load() then only reports success.
    explicit IpHelperTable(GetIfTableFn fn) : fn_(fn) {}

    // Loads IPHLPAPI.DLL and finds GetIfTable. The library stays loaded until this object is
    // destroyed. A second call after success does nothing and answers true.
    bool Load() override;
    // Calls GetIfTable with the buffer; when it asks for a bigger one, grows the buffer to the
    // size asked and calls once more. Any other nonzero answer is a failure.
    bool GetIfTable(std::vector<InterfaceRow>& rows) override;

private:
    UniqueModule library_;
    GetIfTableFn fn_ = nullptr;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace velkaro::win
