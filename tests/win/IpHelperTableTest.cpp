// The interface table: parsing the platform's MIB_IFTABLE bytes, the call protocol around
// GetIfTable, and Wine's real table.
#include <winsock2.h>
#include <windows.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/Cp1251.h"
#include "win/IpHelperTable.h"

namespace velkaro::win {
namespace {

// The description as the sampler reads it: up to the first zero byte, at most dwDescrLen.
std::string AdapterNameOf(const InterfaceRow& r) {
    std::size_t n = 0;
    while (n < r.bDescr.size() && n < r.dwDescrLen && r.bDescr[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(r.bDescr.data()), n);
}

std::vector<std::uint8_t> TableBytes(const std::vector<MIB_IFROW>& rows, DWORD count) {
    std::vector<std::uint8_t> bytes(4 + rows.size() * sizeof(MIB_IFROW));
    std::memcpy(bytes.data(), &count, 4);
    if (!rows.empty()) std::memcpy(bytes.data() + 4, rows.data(), rows.size() * sizeof(MIB_IFROW));
    return bytes;
}

MIB_IFROW Row(const char* descr, DWORD len, DWORD in, DWORD out) {
    MIB_IFROW r;
    std::memset(&r, 0xAB, sizeof r);  // every field we do not read holds noise
    std::memset(r.bDescr, 0, sizeof r.bDescr);
    std::memcpy(r.bDescr, descr, std::strlen(descr));
    r.dwDescrLen = len;
    r.dwInOctets = in;
    r.dwOutOctets = out;
    return r;
}

TEST(ParseIfTableTest, TakesTheFourFieldsOfEveryRow) {
    MIB_IFROW full = Row("", 256, 7, 8);
    std::memset(full.bDescr, 'z', sizeof full.bDescr);  // no terminating zero byte
    auto bytes = TableBytes({Row("Сетевой адаптер"_cp1251, 15, 4294967295u, 0), full}, 2);
    std::vector<InterfaceRow> rows;
    ASSERT_TRUE(ParseIfTable(bytes.data(), bytes.size(), rows));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(AdapterNameOf(rows[0]), "Сетевой адаптер"_cp1251);
    EXPECT_EQ(rows[0].inOctets, 4294967295u);
    EXPECT_EQ(rows[0].outOctets, 0u);
    EXPECT_TRUE(rows[0].counters32);
    EXPECT_EQ(rows[1].dwDescrLen, 256u);
    EXPECT_EQ(AdapterNameOf(rows[1]), std::string(256, 'z'));
    EXPECT_EQ(rows[1].inOctets, 7u);
    EXPECT_EQ(rows[1].outOctets, 8u);
}

TEST(ParseIfTableTest, NeverReadsRowsBeyondTheBuffer) {
    std::vector<InterfaceRow> rows;
    auto bytes = TableBytes({Row("a", 1, 1, 2), Row("b", 1, 3, 4)}, 1000);
    ASSERT_TRUE(ParseIfTable(bytes.data(), bytes.size(), rows));
    EXPECT_EQ(rows.size(), 2u);
    // A partial last row is not a row.
    ASSERT_TRUE(ParseIfTable(bytes.data(), bytes.size() - 1, rows));
    EXPECT_EQ(rows.size(), 1u);
    auto none = TableBytes({}, 5);
    ASSERT_TRUE(ParseIfTable(none.data(), none.size(), rows));
    EXPECT_TRUE(rows.empty());
    rows.resize(3);
    EXPECT_FALSE(ParseIfTable(none.data(), 3, rows));
    EXPECT_TRUE(rows.empty());
    // Fewer rows announced than present: only those.
    auto fewer = TableBytes({Row("a", 1, 1, 2), Row("b", 1, 3, 4)}, 1);
    ASSERT_TRUE(ParseIfTable(fewer.data(), fewer.size(), rows));
    EXPECT_EQ(rows.size(), 1u);
}

// A scripted GetIfTable: answers from a list, one answer per call, and fills in a table.
struct FakeCall {
    DWORD result;
    ULONG askedSize;  // what it writes into the size variable
};
std::vector<FakeCall> g_calls;
std::vector<ULONG> g_sizesGiven;

DWORD WINAPI FakeGetIfTable(void* table, ULONG* size, BOOL order) {
    EXPECT_FALSE(order);
    g_sizesGiven.push_back(*size);
    FakeCall call = g_calls.at(g_sizesGiven.size() - 1);
    if (call.result == NO_ERROR) {
        auto bytes = TableBytes({Row("lo", 2, 100, 200)}, 1);
        std::memcpy(table, bytes.data(), bytes.size());
    } else {
        *size = call.askedSize;
    }
    return call.result;
}

class IpHelperProtocolTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        g_sizesGiven.clear();
    }
    IpHelperTable table_{&FakeGetIfTable};
    std::vector<InterfaceRow> rows_;
};

TEST_F(IpHelperProtocolTest, CallsWithTheDesignedBufferSize) {
    g_calls = {{NO_ERROR, 0}};
    ASSERT_TRUE(table_.Load());
    ASSERT_TRUE(table_.GetIfTable(rows_));
    EXPECT_EQ(g_sizesGiven, std::vector<ULONG>{441184});
    ASSERT_EQ(rows_.size(), 1u);
    EXPECT_EQ(rows_[0].inOctets, 100u);
}

TEST_F(IpHelperProtocolTest, GrowsOnceWhenTheTableAsksForMoreRoom) {
    g_calls = {{ERROR_INSUFFICIENT_BUFFER, 600000}, {NO_ERROR, 0}, {NO_ERROR, 0}};
    ASSERT_TRUE(table_.GetIfTable(rows_));
    EXPECT_EQ(rows_.size(), 1u);
    ASSERT_TRUE(table_.GetIfTable(rows_));  // the grown buffer is kept
    EXPECT_EQ(g_sizesGiven, (std::vector<ULONG>{441184, 600000, 600000}));
}

TEST_F(IpHelperProtocolTest, FailsWithoutAThirdTryOrOnOtherErrors) {
    g_calls = {{ERROR_INSUFFICIENT_BUFFER, 600000}, {ERROR_INSUFFICIENT_BUFFER, 700000},
               {ERROR_NOT_SUPPORTED, 0},
               {ERROR_INSUFFICIENT_BUFFER, 100},  // asks for less than it had: nonsense
               {ERROR_INSUFFICIENT_BUFFER, 0x7FFFFFFF}};
    EXPECT_FALSE(table_.GetIfTable(rows_));
    EXPECT_EQ(g_sizesGiven.size(), 2u);
    EXPECT_FALSE(table_.GetIfTable(rows_));
    EXPECT_EQ(g_sizesGiven.size(), 3u);
    EXPECT_FALSE(table_.GetIfTable(rows_));
    EXPECT_EQ(g_sizesGiven.size(), 4u);
    EXPECT_FALSE(table_.GetIfTable(rows_));  // an absurd size is refused
    EXPECT_EQ(g_sizesGiven.size(), 5u);
}

TEST(IpHelperTableTest, WithoutLoadThereIsNoTable) {
    IpHelperTable table;
    std::vector<InterfaceRow> rows;
    EXPECT_FALSE(table.GetIfTable(rows));
}

// The loopback interface's row, found by its type through the system's own call.
std::string LoopbackDescription() {
    HMODULE lib = ::LoadLibraryA("IPHLPAPI.DLL");
    if (!lib) return {};
    auto fn = reinterpret_cast<DWORD(WINAPI*)(PMIB_IFTABLE, PULONG, BOOL)>(
        reinterpret_cast<void*>(::GetProcAddress(lib, "GetIfTable")));
    std::string name;
    std::vector<std::uint8_t> buf(kIfTableBufferSize);
    ULONG size = static_cast<ULONG>(buf.size());
    if (fn && fn(reinterpret_cast<PMIB_IFTABLE>(buf.data()), &size, FALSE) == NO_ERROR) {
        auto* t = reinterpret_cast<PMIB_IFTABLE>(buf.data());
        for (DWORD i = 0; i < t->dwNumEntries; ++i)
            if (t->table[i].dwType == MIB_IF_TYPE_LOOPBACK) {
                InterfaceRow r;
                std::memcpy(r.bDescr.data(), t->table[i].bDescr, 256);
                r.dwDescrLen = t->table[i].dwDescrLen;
                name = AdapterNameOf(r);
                break;
            }
    }
    ::FreeLibrary(lib);
    return name;
}

const InterfaceRow* Find(const std::vector<InterfaceRow>& rows, const std::string& name) {
    for (const auto& r : rows)
        if (AdapterNameOf(r) == name) return &r;
    return nullptr;
}

void SendLoopbackTraffic(int bytes) {
    WSADATA wsa;
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &wsa), 0);
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    ASSERT_NE(s, INVALID_SOCKET);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(9);  // discard
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string payload(1000, 'v');
    for (int sent = 0; sent < bytes; sent += static_cast<int>(payload.size()))
        ::sendto(s, payload.data(), static_cast<int>(payload.size()), 0,
                 reinterpret_cast<const sockaddr*>(&to), sizeof to);
    ::closesocket(s);
    ::WSACleanup();
}

TEST(IpHelperTableTest, ReadsTheSystemTableWithTheLoopbackInterfaceAndItsCounters) {
    IpHelperTable table;
    ASSERT_TRUE(table.Load());
    ASSERT_TRUE(table.Load());  // a second load keeps the first
    const std::string loopback = LoopbackDescription();
    ASSERT_FALSE(loopback.empty()) << "no loopback interface with a description";

    std::vector<InterfaceRow> before, after;
    ASSERT_TRUE(table.GetIfTable(before));
    const InterfaceRow* b = Find(before, loopback);
    ASSERT_NE(b, nullptr);
    SendLoopbackTraffic(200000);
    ASSERT_TRUE(table.GetIfTable(after));
    const InterfaceRow* a = Find(after, loopback);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(after.size(), before.size());
    // The loopback sends and receives what we sent; the 64-bit counters move on.
    EXPECT_TRUE(table.Counters64());
    EXPECT_FALSE(a->counters32);
    EXPECT_GE(a->outOctets - b->outOctets, 200000u);
    EXPECT_GE(a->inOctets - b->inOctets, 200000u);
}

TEST(IpHelperTableTest, NamesOfTheSixtyFourBitTableAreByteForByteThoseOfTheOlderOne) {
    HMODULE lib = ::LoadLibraryA("IPHLPAPI.DLL");
    ASSERT_NE(lib, nullptr);
    auto table2 = reinterpret_cast<DWORD(WINAPI*)(PMIB_IF_TABLE2*)>(
        reinterpret_cast<void*>(::GetProcAddress(lib, "GetIfTable2")));
    auto freeTable = reinterpret_cast<void(WINAPI*)(PVOID)>(reinterpret_cast<void*>(::GetProcAddress(lib, "FreeMibTable")));
    auto table1 = reinterpret_cast<DWORD(WINAPI*)(PMIB_IFTABLE, PULONG, BOOL)>(
        reinterpret_cast<void*>(::GetProcAddress(lib, "GetIfTable")));
    ASSERT_TRUE(table2 && freeTable && table1);
    std::vector<std::uint8_t> buf(kIfTableBufferSize);
    ULONG size = static_cast<ULONG>(buf.size());
    ASSERT_EQ(table1(reinterpret_cast<PMIB_IFTABLE>(buf.data()), &size, FALSE), static_cast<DWORD>(NO_ERROR));
    std::vector<InterfaceRow> older;
    ASSERT_TRUE(ParseIfTable(buf.data(), buf.size(), older));
    PMIB_IF_TABLE2 t = nullptr;
    ASSERT_EQ(table2(&t), static_cast<DWORD>(NO_ERROR));
    int compared = 0;
    for (ULONG i = 0; i < t->NumEntries; ++i) {
        InterfaceRow row;
        FillRowFromIfRow2(t->Table[i].Description, t->Table[i].InterfaceLuid.Value, 0, 0, false, row);
        for (const InterfaceRow& o : older) {
            if (o.key != t->Table[i].InterfaceIndex) continue;
            EXPECT_EQ(AdapterNameOf(row), AdapterNameOf(o)) << "interface " << o.key;
            ++compared;
        }
    }
    freeTable(t);
    ::FreeLibrary(lib);
    EXPECT_GE(compared, 1);
}

}  // namespace
}  // namespace velkaro::win
