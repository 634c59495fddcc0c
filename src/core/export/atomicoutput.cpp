// SPDX-License-Identifier: GPL-3.0-or-later
#include "atomicoutput.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "../shell/errors.h"
#include "../shell/fdio.h"
#include "../shell/filebytes.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace fs = std::filesystem;

TAtomicOutput::TAtomicOutput(const std::string& target) : Target(target) {
    // A folder, a device or a pipe is never replaced by an output.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
        throw EGeneric(FileErrorText(target, NotRegularFileText(existing.st_mode)));
    const fs::path path(target);
    fs::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    // Killed exports leave their temporaries: those no process holds go.
    const std::string prefix = "." + path.filename().string() + ".tmp.";
    RemoveStaleTemporaries(folder.string(), prefix);
    std::string pattern = (folder / (prefix + "XXXXXX")).string();
    File = CreateHeldTemporary(pattern);
    if (File.Get() < 0) RaiseCreateError(target, errno);
    TempName = pattern;
    // mkstemp's 0600 would make the export private; give it the usual mode.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(File.Get(), 0666 & ~mask);
}

TAtomicOutput::~TAtomicOutput() {
    if (!Done && !TempName.empty()) ::unlink(TempName.c_str());
}

void TAtomicOutput::Commit() {
    if (::fsync(File.Get()) != 0 && errno != EINVAL) RaiseFileError(Target, errno);
    const int result = ::close(File.Release());
    if (result != 0) RaiseFileError(Target, errno);
    if (::rename(TempName.c_str(), Target.c_str()) != 0) RaiseFileError(Target, errno);
    Done = true;
}

void RefuseInputAsOutput(const std::string& target, const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs) {
        if (SameFile(target, input))
            throw EGeneric(FormatText(LangText("<EN>The output file \"%s\" is one of the input "
                                               "files.<PL>Plik wynikowy \"%s\" jest jednym z "
                                               "plików wejściowych."),
                                      target.c_str()));
    }
}

TBackedUpTarget::TBackedUpTarget(const std::string& target, const std::vector<std::string>& inputs)
    : Target(target) {
    RefuseInputAsOutput(target, inputs);
    RefuseInputAsOutput(BackupName(target), inputs);
    Moved = FileExists(target) && BackupName(target) != target;
    MakeBackup(target);
}

TBackedUpTarget::~TBackedUpTarget() {
    if (Moved && !Kept && !FileExists(Target))
        std::rename(BackupName(Target).c_str(), Target.c_str());
}

}  // namespace tallyra::core
