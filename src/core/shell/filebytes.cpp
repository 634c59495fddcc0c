// SPDX-License-Identifier: GPL-3.0-or-later
#include "filebytes.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "errors.h"
#include "fdio.h"
#include "format.h"
#include "ioerror.h"
#include "langtext.h"

namespace tallyra::core {

std::string ReadFileBytes(const std::string& path, uint64_t maxBytes) {
    const TFd fd = OpenRegularFile(path, O_RDONLY);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) RaiseSystemError(errno);
    if (static_cast<uint64_t>(st.st_size) > maxBytes)
        throw EGeneric(FormatText(
            LangText("<EN>The file is too large (more than %llu bytes).<PL>Plik jest za duży "
                     "(więcej niż %llu bajtów)."),
            static_cast<unsigned long long>(maxBytes)));
    std::string bytes;
    bytes.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            RaiseSystemError(errno);
        }
        if (n == 0) break;
        if (bytes.size() + static_cast<size_t>(n) > maxBytes)
            throw EGeneric(FormatText(
                LangText("<EN>The file is too large (more than %llu bytes).<PL>Plik jest za duży "
                         "(więcej niż %llu bajtów)."),
                static_cast<unsigned long long>(maxBytes)));
        bytes.append(buf, static_cast<size_t>(n));
    }
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    // A folder, a device or a pipe is refused without writing to it (or
    // waiting for a reader of the pipe).
    TFd fd = OpenRegularFile(path, O_WRONLY | O_CREAT | O_TRUNC);
    WriteFull(fd.Get(), bytes.data(), bytes.size());
    if (::fdatasync(fd.Get()) != 0 && errno != EINVAL) RaiseSystemError(errno);
    if (::close(fd.Release()) != 0) RaiseSystemError(errno);
}

std::string BackupName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1))
        return path + ".bak";
    return path.substr(0, dot) + ".bak";
}

void MakeBackup(const std::string& path) {
    const std::string bak = BackupName(path);
    if (bak == path) return;
    // With no file to take its place, the old backup stays: it may be the
    // only copy left.
    if (!FileExists(path)) return;
    if (::unlink(bak.c_str()) != 0 && errno != ENOENT) RaiseSystemError(errno);
    if (::rename(path.c_str(), bak.c_str()) != 0 && errno != ENOENT) RaiseSystemError(errno);
}

bool FileModTime(const std::string& path, int64_t& out) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    out = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string FullPath(const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path full = fs::weakly_canonical(fs::absolute(name, ec), ec);
    if (ec) full = fs::absolute(name, ec).lexically_normal();
    return full.string();
}

bool SameFile(const std::string& a, const std::string& b) {
    if (FullPath(a) == FullPath(b)) return true;
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::string NormalizeLineEnds(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            text += "\r\n";
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace tallyra::core
