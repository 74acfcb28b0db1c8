#include "win/IpHelperTable.h"

#include <winsock2.h>
#include <windows.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace velkaro::win {

static_assert(sizeof(MIB_IFROW) == 860, "MIB_IFROW is 860 bytes");
static_assert(offsetof(MIB_IFTABLE, table) == 4, "rows follow the 32-bit count");
static_assert(kIfTableBufferSize == 4 + 513 * sizeof(MIB_IFROW));

namespace {

// The largest buffer we agree to take when the table asks for more room (about 19,500 rows).
constexpr ULONG kMaxBufferSize = 16u * 1024 * 1024;

std::uint32_t ReadU32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

}  // namespace

bool ParseIfTable(const std::uint8_t* data, std::size_t size, std::vector<InterfaceRow>& rows) {
    rows.clear();
    if (data == nullptr || size < offsetof(MIB_IFTABLE, table)) return false;
    const std::size_t fit = (size - offsetof(MIB_IFTABLE, table)) / sizeof(MIB_IFROW);
    const std::size_t count = std::min<std::size_t>(ReadU32(data), fit);
    rows.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* row = data + offsetof(MIB_IFTABLE, table) + i * sizeof(MIB_IFROW);
        InterfaceRow& out = rows[i];
        std::memcpy(out.bDescr.data(), row + offsetof(MIB_IFROW, bDescr), out.bDescr.size());
        out.dwDescrLen = ReadU32(row + offsetof(MIB_IFROW, dwDescrLen));
        out.key = ReadU32(row + offsetof(MIB_IFROW, dwIndex));
        out.inOctets = ReadU32(row + offsetof(MIB_IFROW, dwInOctets));
        out.outOctets = ReadU32(row + offsetof(MIB_IFROW, dwOutOctets));
        out.counters32 = true;  // the rows are new: no filter's flag
    }
    return true;
}

void FillRowFromIfRow2(const wchar_t* description, std::uint64_t luid, std::uint64_t in,
                       std::uint64_t out, bool filter, InterfaceRow& row) {
    // Room for the longest description in a double-byte code page; then cut as the 32-bit
    // table's field is.
    char ansi[2 * (IF_MAX_STRING_SIZE + 1)];
    int n = ::WideCharToMultiByte(CP_ACP, 0, description, -1, ansi, sizeof ansi, nullptr, nullptr);
    n = n > 0 ? n - 1 : 0;  // without the terminating zero
    const std::size_t len = std::min<std::size_t>(static_cast<std::size_t>(n), row.bDescr.size());
    std::memcpy(row.bDescr.data(), ansi, len);
    if (len < row.bDescr.size()) row.bDescr[len] = 0;
    row.dwDescrLen = static_cast<std::uint32_t>(len);
    row.key = luid;
    row.inOctets = in;
    row.outOctets = out;
    row.counters32 = false;
    row.filter = filter;
}

bool IpHelperTable::Load() {
    if (fn_ != nullptr || table2_ != nullptr) return true;
    UniqueModule library(::LoadLibraryA("IPHLPAPI.DLL"));
    if (!library) return false;
    table2_ = FunctionOf<GetIfTable2Fn>(library.get(), "GetIfTable2");
    free_ = FunctionOf<FreeMibTableFn>(library.get(), "FreeMibTable");
    if (table2_ == nullptr || free_ == nullptr) {  // the 64-bit table needs both
        table2_ = nullptr;
        fn_ = FunctionOf<GetIfTableFn>(library.get(), "GetIfTable");
        if (fn_ == nullptr) return false;  // the library is released again
    }
    library_ = std::move(library);
    return true;
}

bool IpHelperTable::GetIfTable(std::vector<InterfaceRow>& rows) {
    if (table2_ != nullptr) {
        void* memory = nullptr;
        if (table2_(&memory) != NO_ERROR || memory == nullptr) return false;
        const auto* table = static_cast<const MIB_IF_TABLE2*>(memory);
        rows.resize(table->NumEntries);
        for (ULONG i = 0; i < table->NumEntries; ++i) {
            const MIB_IF_ROW2& r = table->Table[i];
            FillRowFromIfRow2(r.Description, r.InterfaceLuid.Value, r.InOctets, r.OutOctets,
                              r.InterfaceAndOperStatusFlags.FilterInterface != 0, rows[i]);
        }
        free_(memory);
        return true;
    }
    // The 32-bit table.
    if (fn_ == nullptr) return false;
    if (buffer_.size() < kIfTableBufferSize) buffer_.assign(kIfTableBufferSize, 0);

    ULONG size = static_cast<ULONG>(buffer_.size());
    DWORD result = fn_(buffer_.data(), &size, FALSE);
    if (result == ERROR_INSUFFICIENT_BUFFER) {
        if (size <= buffer_.size() || size > kMaxBufferSize) return false;
        buffer_.assign(size, 0);  // size stays the buffer's
        result = fn_(buffer_.data(), &size, FALSE);
    }
    if (result != NO_ERROR) return false;
    // The size variable is not lowered on success everywhere; the buffer bounds what is read.
    return ParseIfTable(buffer_.data(), buffer_.size(), rows);
}

}  // namespace velkaro::win
