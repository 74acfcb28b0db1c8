// price.txt of any bytes: loading never fails (bad lines are skipped, with one message that
// names them, and the first save keeps the file as it was as price.bak); what was loaded is
// saved and loads back without a message. Prices are written with 15 significant digits, so
// the first save may round them; from then on saving and loading are exact.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzPorts.h"

using namespace velkaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Ports p;
    p.regional.separator = size % 2 ? '.' : ',';
    p.files.files[texts::kPriceFile] = std::string(reinterpret_cast<const char*>(data), size);

    Accounting a;
    DataFiles aFiles;
    const std::string input = p.files.files[texts::kPriceFile];
    LoadFiles(a, aFiles, p.ports);
    fuzz::Check(aFiles.loaded && aFiles.priceFile.read);
    fuzz::Check(p.dialogs.messages.size() <= 1);
    const bool skipped = !p.dialogs.messages.empty();
    fuzz::Check(skipped == aFiles.priceFile.backupDue);

    fuzz::Check(SaveFiles(a, aFiles, p.ports).empty());
    fuzz::Check(p.files.files.count(texts::kPriceBackup) == (skipped ? 1u : 0u));
    if (skipped) fuzz::Check(p.files.files[texts::kPriceBackup] == input);
    p.dialogs.messages.clear();
    Accounting b;
    DataFiles bFiles;
    LoadFiles(b, bFiles, p.ports);
    fuzz::Check(p.dialogs.messages.empty());
    fuzz::Check(b.Tariffs().size() == a.Tariffs().size());
    for (std::size_t i = 0; i < a.Tariffs().size(); ++i) {
        fuzz::Check(a.Tariffs()[i].adapter == b.Tariffs()[i].adapter);
        fuzz::Check(a.Tariffs()[i].displayName == b.Tariffs()[i].displayName);
    }

    SaveFiles(b, bFiles, p.ports);
    const std::string second = p.files.files[texts::kPriceFile];
    Accounting c;
    DataFiles cFiles;
    LoadFiles(c, cFiles, p.ports);
    fuzz::Check(p.dialogs.messages.empty());
    fuzz::Check(fuzz::SameTariffs(b, c));
    SaveFiles(c, cFiles, p.ports);
    fuzz::Check(p.files.files[texts::kPriceFile] == second);
    return 0;
}
