// Files on disk through Win32, names in Windows-1251 widened to UTF-16.
#pragma once

#include "core/Ports.h"

namespace velkaro::win {

// The program's I/O code for a Win32 error: 2..5 as they are, the disk-full errors 101,
// everything else unchanged.
int IoCodeOf(unsigned long win32Error);

class Win32FileStore : public FileStore {
public:
    int ReadAll(const std::string& name, std::string& bytes) override;
    // Writes name + ".tmp" in the same folder, flushes it, and moves it over name (write-through).
    // On any failure the temporary file is removed and name is left as it was.
    int ReplaceAll(const std::string& name, const std::string& bytes) override;
    int WriteAll(const std::string& name, const std::string& bytes) override;
    bool Delete(const std::string& name) override;
};

}  // namespace velkaro::win
