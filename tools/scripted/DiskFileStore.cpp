// Real files through POSIX calls, for the native build of the tests and velkaro-replay.
// (The Windows build uses the Win32 file store of win/.)
#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/scripted/ScriptedPorts.h"

namespace velkaro {

// ---- DiskFileStore ----

namespace {
int CodeOf(int err) {
    switch (err) {
        case ENOENT: return kIoFileNotFound;
        case ENAMETOOLONG: return kIoInvalidFilename;
        case EMFILE: case ENFILE: return kIoTooManyOpenFiles;
        case EACCES: case EPERM: case EISDIR: case EROFS: return kIoAccessDenied;
        case ENOSPC: case EDQUOT: return kIoDiskFull;
        default: return err;
    }
}

int WriteFd(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return CodeOf(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return kIoOk;
}
}  // namespace

int DiskFileStore::ReadAll(const std::string& name, std::string& bytes) {
    int fd = ::open(name.c_str(), O_RDONLY);
    if (fd < 0) return CodeOf(errno);
    struct stat st{};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return kIoAccessDenied;
    }
    bytes.clear();
    char buf[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int code = CodeOf(errno);
            ::close(fd);
            return code;
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return kIoOk;
}

int DiskFileStore::ReplaceAll(const std::string& name, const std::string& bytes) {
    const std::string temp = name + kTemporarySuffix;
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return CodeOf(errno);
    int code = WriteFd(fd, bytes);
    if (code == kIoOk && ::fsync(fd) != 0) code = CodeOf(errno);
    if (::close(fd) != 0 && code == kIoOk) code = CodeOf(errno);
    if (code == kIoOk && ::rename(temp.c_str(), name.c_str()) != 0) code = CodeOf(errno);
    if (code != kIoOk) ::unlink(temp.c_str());
    return code;
}

int DiskFileStore::WriteAll(const std::string& name, const std::string& bytes) {
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return CodeOf(errno);
    int code = WriteFd(fd, bytes);
    if (::close(fd) != 0 && code == kIoOk) code = CodeOf(errno);
    return code;
}

bool DiskFileStore::Delete(const std::string& name) { return ::unlink(name.c_str()) == 0; }

}  // namespace velkaro
#endif
