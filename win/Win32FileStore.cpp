#include "win/Win32FileStore.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "win/Handles.h"
#include "win/Window.h"

namespace velkaro::win {

int IoCodeOf(unsigned long err) {
    // ERROR_SUCCESS is kIoOk; 2, 3, 4, 5 and the rest as they are.
    return err == ERROR_HANDLE_DISK_FULL || err == ERROR_DISK_FULL ? kIoDiskFull : static_cast<int>(err);
}

namespace {

// Whether something is at path with one of these attributes.
bool HasAttribute(const std::wstring& path, DWORD attributes) {
    const DWORD attrs = ::GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & attributes) != 0;
}

// The code of the failure that just happened; a code of 0 would read as success. Taken right
// after the call that failed, before any other call can overwrite the thread's last error.
int LastIoCode() {
    int code = IoCodeOf(::GetLastError());
    return code == kIoOk ? kIoAccessDenied : code;
}

// A create or open that failed: its own code, or "access denied" when a folder is in the way.
int OpenFailure(const std::wstring& path) {
    const int code = LastIoCode();
    return HasAttribute(path, FILE_ATTRIBUTE_DIRECTORY) ? kIoAccessDenied : code;
}

UniqueFile CreateNew(const std::wstring& path) {
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
}

// The first failure's code: a failed write leaves the close to the handle's owner, whose own
// failure would say nothing more.
int WriteAndClose(UniqueFile file, const std::string& bytes, bool flush) {
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr)) return LastIoCode();
        if (written == 0) return kIoDiskFull;
        done += written;
    }
    if (flush && !::FlushFileBuffers(file.get())) return LastIoCode();
    return ::CloseHandle(file.release()) ? kIoOk : LastIoCode();
}

}  // namespace

std::wstring Win32FileStore::PathOf(const std::string& name) const {
    if (name.empty() || (rooted_ && folder_.empty())) return {};
    const std::wstring wide = Widen(name);
    if (wide.empty()) return {};
    return folder_ + wide;
}

int Win32FileStore::ReadAll(const std::string& name, std::string& bytes) {
    const std::wstring wide = PathOf(name);
    if (wide.empty()) return kIoInvalidFilename;
    UniqueFile file(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return OpenFailure(wide);
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(file.get(), &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return kIoAccessDenied;

    bytes.clear();
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 &&
        static_cast<unsigned long long>(size.QuadPart) < bytes.max_size())
        bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char buf[1 << 16];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buf, sizeof buf, &got, nullptr)) return LastIoCode();
        if (got == 0) break;
        bytes.append(buf, got);
    }
    return kIoOk;
}

int Win32FileStore::ReplaceAll(const std::string& name, const std::string& bytes) {
    const std::wstring target = PathOf(name);
    if (target.empty()) return kIoInvalidFilename;
    const std::wstring temp = target + Widen(kTemporarySuffix);

    UniqueFile file = CreateNew(temp);
    if (!file) return OpenFailure(temp);  // nothing of ours to clean up
    int code = WriteAndClose(std::move(file), bytes, true);
    // A folder or a read-only file in the way is refused, as a rewrite in place would be
    // (MoveFileEx alone replaces a read-only file on some systems).
    if (code == kIoOk && HasAttribute(target, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        code = kIoAccessDenied;
    if (code == kIoOk &&
        !::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        code = LastIoCode();
    if (code != kIoOk) ::DeleteFileW(temp.c_str());
    return code;
}

int Win32FileStore::WriteAll(const std::string& name, const std::string& bytes) {
    const std::wstring wide = PathOf(name);
    if (wide.empty()) return kIoInvalidFilename;
    UniqueFile file = CreateNew(wide);
    if (!file) return OpenFailure(wide);
    return WriteAndClose(std::move(file), bytes, false);
}

bool Win32FileStore::Delete(const std::string& name) {
    const std::wstring wide = PathOf(name);
    return !wide.empty() && ::DeleteFileW(wide.c_str()) != 0;
}

}  // namespace velkaro::win
