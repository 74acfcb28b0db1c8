#include "win/IpHelperTable.h"

#include <windows.h>
#include <iphlpapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace velkaro::win {

static_assert(sizeof(MIB_IFROW) == kIfRowSize, "MIB_IFROW is 860 bytes");
static_assert(offsetof(MIB_IFTABLE, table) == 4, "rows follow the 32-bit count");
static_assert(kIfTableBufferSize == 4 + 513 * kIfRowSize);

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
        out.dwInOctets = ReadU32(row + offsetof(MIB_IFROW, dwInOctets));
        out.dwOutOctets = ReadU32(row + offsetof(MIB_IFROW, dwOutOctets));
    }
    return true;
}

bool IpHelperTable::Load() {
    if (fn_ != nullptr) return true;
    UniqueModule library(::LoadLibraryA("IPHLPAPI.DLL"));
    if (!library) return false;
    FARPROC proc = ::GetProcAddress(library.get(), "GetIfTable");
    if (proc == nullptr) return false;  // the library is released again
    fn_ = reinterpret_cast<GetIfTableFn>(reinterpret_cast<void*>(proc));
    library_ = std::move(library);
    return true;
}

bool IpHelperTable::GetIfTable(std::vector<InterfaceRow>& rows) {
    if (fn_ == nullptr) return false;
    if (buffer_.size() < kIfTableBufferSize) buffer_.assign(kIfTableBufferSize, 0);

    ULONG size = static_cast<ULONG>(buffer_.size());
    DWORD result = fn_(buffer_.data(), &size, FALSE);
    if (result == ERROR_INSUFFICIENT_BUFFER) {
        if (size <= buffer_.size() || size > kMaxBufferSize) return false;
        buffer_.assign(size, 0);
        size = static_cast<ULONG>(buffer_.size());
        result = fn_(buffer_.data(), &size, FALSE);
    }
    if (result != NO_ERROR) return false;
    // The size variable is not lowered on success everywhere; the buffer bounds what is read.
    return ParseIfTable(buffer_.data(), buffer_.size(), rows);
}

}  // namespace velkaro::win
