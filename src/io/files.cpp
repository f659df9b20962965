#include "io/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace qte {

FileError describeFileError(std::string_view verb, const std::filesystem::path& path,
                            int errnoValue)
{
    std::string msg = "Cannot ";
    msg += verb;
    msg += " \"";
    msg += path.string();
    msg += "\": ";
    msg += std::strerror(errnoValue);
    return {msg, errnoValue};
}

FileReadResult readWholeFile(const std::filesystem::path& path)
{
    FileReadResult result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.error = describeFileError("open", path, errno);
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        result.error = describeFileError("read", path, errno);
        ::close(fd);
        return result;
    }
    if (S_ISDIR(st.st_mode)) {
        result.error = describeFileError("read", path, EISDIR);
        ::close(fd);
        return result;
    }
    // Refused before a byte is read, rather than after reading the limit.
    if (S_ISREG(st.st_mode) && static_cast<std::uintmax_t>(st.st_size) > kMaxReadBytes) {
        result.error = describeFileError("read", path, EFBIG);
        ::close(fd);
        return result;
    }
    std::string data;
    // One allocation for a file that keeps its size while it is read.
    if (st.st_size > 0 && static_cast<std::uintmax_t>(st.st_size) <= kMaxReadBytes) {
        data.reserve(static_cast<std::size_t>(st.st_size));
    }
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            result.error = describeFileError("read", path, errno);
            ::close(fd);
            return result;
        }
        if (n == 0) break;
        if (data.size() + static_cast<std::size_t>(n) > kMaxReadBytes) {
            result.error = describeFileError("read", path, EFBIG);
            ::close(fd);
            return result;
        }
        data.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    result.bytes = std::move(data);
    return result;
}

std::optional<FileStamp> fileStamp(const std::filesystem::path& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
    constexpr std::int64_t kNsPerSecond = 1000000000;
    return FileStamp{static_cast<std::uintmax_t>(st.st_size),
                     static_cast<std::int64_t>(st.st_mtim.tv_sec) * kNsPerSecond +
                         st.st_mtim.tv_nsec};
}

namespace {

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

std::optional<FileError> writeFileAtomically(const std::filesystem::path& path,
                                             std::string_view bytes)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return describeFileError("write", path, EISDIR);

    // Character devices (/dev/null, /dev/full) cannot be renamed over: write
    // them directly, still reporting every failure.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) return describeFileError("write", path, errno);
        const bool ok = writeAll(fd, bytes);
        const int err = errno;
        if (::close(fd) != 0 && ok) return describeFileError("write", path, errno);
        if (!ok) return describeFileError("write", path, err);
        return std::nullopt;
    }

    const std::filesystem::path dir = path.has_parent_path() ? path.parent_path() : ".";
    std::random_device rd;
    std::filesystem::path tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tmp = dir / ("." + path.filename().string() + ".save-" + std::to_string(rd()));
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return describeFileError("write", path, errno);
    }
    if (fd < 0) return describeFileError("write", path, EEXIST);

    bool ok = writeAll(fd, bytes);
    int err = errno;
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        err = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        return describeFileError("write", path, err);
    }
    return std::nullopt;
}

std::filesystem::path executableFolder()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path();
}

} // namespace qte
