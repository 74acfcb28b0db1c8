// Names of any bytes through price.txt and limits.txt: an adapter and a display name cut from
// the input (its first byte says where) are saved beside ordinary entries and load back
// identical, without a message; saving again writes the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzPorts.h"

using namespace velkaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t cut = std::min<std::size_t>(data[0], bytes.size());
    const std::string adapter = bytes.substr(0, cut);
    const std::string displayName = bytes.substr(cut);

    fuzz::Ports p;
    Accounting a;
    DataFiles aFiles;
    LoadFiles(a, aFiles, p.ports);
    a.ReplaceTariffs({{1.5, 2, "eth", "LAN"}, {3, 4, adapter, displayName}, {5, 6, "wifi", displayName}});
    SetLimit(a, adapter, LimitKind::Money, 7, 31);
    SetLimit(a, adapter, LimitKind::Traffic, 700, 31);
    SetLimit(a, "eth", LimitKind::Traffic, 8, 15);
    SaveFiles(a, aFiles, p.ports);
    const std::string prices = p.files.files[texts::kPriceFile];
    const std::string limits = p.files.files[texts::kLimitFile];

    Accounting b;
    DataFiles bFiles;
    LoadFiles(b, bFiles, p.ports);
    fuzz::Check(p.dialogs.messages.empty());
    fuzz::Check(fuzz::SameTariffs(a, b));
    fuzz::Check(b.Limits().size() == a.Limits().size());
    for (std::size_t i = 0; i < a.Limits().size(); ++i)
        fuzz::Check(b.Limits()[i].adapter == a.Limits()[i].adapter && b.Limits()[i].kind == a.Limits()[i].kind &&
                    b.Limits()[i].periodDay == a.Limits()[i].periodDay);
    SaveFiles(b, bFiles, p.ports);
    fuzz::Check(p.files.files[texts::kPriceFile] == prices);
    fuzz::Check(p.files.files[texts::kLimitFile] == limits);
    return 0;
}
