// history.txt of any bytes: loading never fails (lines that are neither a record nor a setting
// are skipped with one message, and the first save keeps the file as it was as history.bak);
// what was loaded is saved, and loading the saved file gives the same records and settings,
// without a message, and saving again the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzPorts.h"

using namespace velkaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Ports p;
    p.files.files[texts::kHistoryFile] = std::string(reinterpret_cast<const char*>(data), size);

    Accounting a;
    DataFiles aFiles;
    const std::string input = p.files.files[texts::kHistoryFile];
    LoadFiles(a, aFiles, p.ports);
    fuzz::Check(aFiles.loaded && aFiles.historyFile.read);
    fuzz::Check(p.dialogs.log.size() <= 1);
    const bool skipped = !p.dialogs.log.empty();
    for (const HistoryRecord& r : a.History()) fuzz::Check(r.session >= 0);
    const int width = p.window.width;

    SaveFiles(a, aFiles, p.ports);
    fuzz::Check(p.files.files.count(texts::kHistoryBackup) == (skipped ? 1u : 0u));
    if (skipped) fuzz::Check(p.files.files[texts::kHistoryBackup] == input);
    p.dialogs.log.clear();
    const std::string saved = p.files.files[texts::kHistoryFile];
    fuzz::Check(saved.size() >= 2 && saved.compare(saved.size() - 2, 2, "\r\n") == 0);

    p.window.width = 1;
    Accounting b;
    DataFiles bFiles;
    LoadFiles(b, bFiles, p.ports);
    fuzz::Check(p.dialogs.log.empty());
    fuzz::Check(p.window.width == width);
    fuzz::Check(fuzz::SameHistory(a, b));

    SaveFiles(b, bFiles, p.ports);
    fuzz::Check(p.files.files[texts::kHistoryFile] == saved);
    return 0;
}
