// Files on disk through Win32. The folder stays UTF-16 and the engine's Windows-1251 names are
// widened onto it, so a path is never narrowed ("C:\Users\Jürgen" works in any code page).
#pragma once

#include <string>

#include "core/Ports.h"

namespace velkaro::win {

// 2..5 as they are, the disk-full errors 101, everything else unchanged.
int IoCodeOf(unsigned long win32Error);

class Win32FileStore : public FileStore {
public:
    // Names as given, relative to the current directory.
    Win32FileStore() = default;
    // folder ends with its separator; an empty one (not found out) makes every operation fail
    // with kIoInvalidFilename.
    explicit Win32FileStore(std::wstring folder) : folder_(std::move(folder)), rooted_(true) {}

    int ReadAll(const std::string& name, std::string& bytes) override;
    // Write-through; on any failure the temporary file is removed and name is left as it was.
    int ReplaceAll(const std::string& name, const std::string& bytes) override;
    int WriteAll(const std::string& name, const std::string& bytes) override;
    bool Delete(const std::string& name) override;

    // Empty when there is none.
    std::wstring PathOf(const std::string& name) const;

private:
    std::wstring folder_;
    bool rooted_ = false;
};

}  // namespace velkaro::win
