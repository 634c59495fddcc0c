// SPDX-License-Identifier: GPL-3.0-or-later
#include "privatetemp.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "../shell/errors.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"
#include "fdio.h"

namespace tallyra::core {

namespace {

[[noreturn]] void RaiseUnsafeFolder(const std::string& folder) {
    throw EGeneric(
        FormatText(LangText("<EN>The temporary folder \"%s\" cannot be used safely."
                            "<PL>Folderu tymczasowego \"%s\" nie można bezpiecznie użyć."),
                   folder.c_str()));
}

}  // namespace

std::string PrivateTempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string folder = (base != nullptr && base[0] == '/') ? base : "/tmp";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    folder += "/tallyra-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) RaiseSystemError(errno);
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) RaiseSystemError(errno);
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 077) != 0)
        RaiseUnsafeFolder(folder);
    return folder;
}

TPrivateTempFile::TPrivateTempFile(std::string_view fileName) {
    const std::string folder = PrivateTempFolder();
    const std::filesystem::path name = std::filesystem::path(std::string(fileName)).filename();
    const std::string stem = name.stem().string();
    const std::string extension = name.extension().string();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string candidate =
            folder + "/" + stem + (attempt == 0 ? "" : "-" + std::to_string(attempt)) + extension;
        File = TFd(
            ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (File.Get() >= 0) {
            FilePath = candidate;
            return;
        }
        if (errno != EEXIST) RaiseSystemError(errno);
    }
    RaiseSystemError(EEXIST);
}

TPrivateTempFile::~TPrivateTempFile() {
    if (!FilePath.empty()) ::unlink(FilePath.c_str());
}

void TPrivateTempFile::Write(std::string_view bytes) {
    WriteFull(File.Get(), bytes.data(), bytes.size());
}

void TPrivateTempFile::Close() {
    if (File.Get() < 0) return;
    const int result = ::close(File.Release());
    if (result != 0) RaiseSystemError(errno);
}

}  // namespace tallyra::core
