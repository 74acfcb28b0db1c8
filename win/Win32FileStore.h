// Files on disk through Win32. A store is rooted at a folder given in UTF-16, and the bare
// names the engine gives (Windows-1251) are widened and appended to it, so a path is never
// narrowed: a folder such as "C:\Users\Jürgen" works whatever the code page.
#pragma once

#include <string>

#include "core/Ports.h"

namespace velkaro::win {

// The program's I/O code for a Win32 error: 2..5 as they are, the disk-full errors 101,
// everything else unchanged.
int IoCodeOf(unsigned long win32Error);

class Win32FileStore : public FileStore {
public:
    // Names as given, relative to the current directory.
    Win32FileStore() = default;
    // Names inside folder (which ends with its separator). An empty folder (one that could not
    // be found out) makes every operation fail with kIoInvalidFilename.
    explicit Win32FileStore(std::wstring folder) : folder_(std::move(folder)), rooted_(true) {}

    int ReadAll(const std::string& name, std::string& bytes) override;
    // Writes name + ".tmp" in the same folder, flushes it, and moves it over name (write-through).
    // On any failure the temporary file is removed and name is left as it was.
    int ReplaceAll(const std::string& name, const std::string& bytes) override;
    int WriteAll(const std::string& name, const std::string& bytes) override;
    bool Delete(const std::string& name) override;

    // The full UTF-16 path of a name; empty when there is none.
    std::wstring PathOf(const std::string& name) const;

private:
    std::wstring folder_;
    bool rooted_ = false;
};

}  // namespace velkaro::win
