// SPDX-License-Identifier: GPL-3.0-or-later
#include "tfilemerger.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

#include "../data/datafile.h"
#include "../script/tpxdictionary.h"
#include "../shell/errors.h"
#include "../shell/fdio.h"
#include "../shell/filebytes.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace fs = std::filesystem;

namespace {

constexpr size_t CopyBlock = size_t{1} << 20;

bool HasWildcard(const std::string& entry) {
    return entry.find_first_of("*?") != std::string::npos;
}

}  // namespace

bool TFilesHandled::AddFile(const std::string& name) {
    return Paths.insert(FullPath(name)).second;
}

bool TFilesHandled::Contains(const std::string& name) const {
    return Paths.count(FullPath(name)) > 0;
}

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    // Iterative matching with one backtrack point for the last "*".
    size_t p = 0, n = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

TFileMerger::TFileMerger(const TPXDictionary& script, const std::vector<std::string>& inputs,
                         std::vector<std::string>& report, std::string outputName,
                         std::ostream* out)
    : Script(&script),
      Inputs(&inputs),
      Report(&report),
      OutputName(std::move(outputName)),
      Out(out != nullptr ? out : &std::cout) {}

TFileMerger::~TFileMerger() = default;

void TFileMerger::Write(const std::string& text) {
    if (Progress != nullptr) {
        Progress->AppendText(text);
        Progress->ProcessPendingEvents();
        return;
    }
    *Out << text << std::flush;
}

void TFileMerger::WriteLine(const std::string& text) {
    if (Progress != nullptr) {
        Write(text + "\r\n");
        return;
    }
    *Out << text << '\n' << std::flush;
}

TFileStructure TFileMerger::CheckStructure(const std::string& name, int64_t lineLength,
                                           int64_t* fileSize) {
    const TFd file = OpenDataFileForReading(name);
    return CheckStructure(file.Get(), lineLength, fileSize);
}

TFileStructure TFileMerger::CheckStructure(int fd, int64_t lineLength, int64_t* fileSize) {
    // The file is scanned as a stream, so records of any length need only
    // the fixed buffer: `at` is the position inside the current record.
    const int64_t dataLength = lineLength - 2;
    std::vector<char> buffer(CopyBlock);
    int64_t size = 0, at = 0;
    for (;;) {
        ssize_t got = ::pread(fd, buffer.data(), buffer.size(), size);
        if (got < 0) {
            if (errno == EINTR) continue;
            RaiseSystemError(errno);
        }
        if (got == 0) break;
        size += static_cast<int64_t>(got);
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
        size_t i = 0;
        while (i < size_t(got)) {
            if (at < dataLength) {
                const size_t run = static_cast<size_t>(
                    std::min<int64_t>(dataLength - at, int64_t(got) - int64_t(i)));
                // Without an early exit the scan runs as vector code.
                unsigned char control = 0;
                for (size_t k = 0; k < run; ++k)
                    control |= static_cast<unsigned char>(bytes[i + k] < 32);
                if (control != 0) return TFileStructure::Invalid;
                i += run;
                at += static_cast<int64_t>(run);
            } else {
                const unsigned char expected = at == dataLength ? '\r' : '\n';
                if (bytes[i] != expected) return TFileStructure::Invalid;
                ++i;
                at = at + 1 == lineLength ? 0 : at + 1;
            }
        }
    }
    if (fileSize != nullptr) *fileSize = size;
    if (at == lineLength - 1) return TFileStructure::Invalid;
    return at == 0 ? TFileStructure::Valid : TFileStructure::ValidPartial;
}

void TFileMerger::AppendToOutput(int fd, int64_t size) {
    // The kernel copies without passing the bytes through this process where
    // it can; otherwise (another file system, an old kernel) read and write.
    off_t in = 0;
    while (in < size) {
        const ssize_t n = CopyRange(fd, &in, Output->Fd(), size_t(size - in));
        if (n > 0) continue;
        if (n == 0) break;
        std::vector<char> buffer(CopyBlock);
        while (in < size) {
            const ssize_t got =
                ::pread(fd, buffer.data(), std::min<size_t>(buffer.size(), size_t(size - in)), in);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) RaiseSystemError(errno);
            if (got == 0) break;
            Output->Write(buffer.data(), size_t(got));
            in += got;
        }
    }
}

void TFileMerger::Skip(const std::string& line, const std::string& reason) {
    const std::string text = " (" + reason + ")";
    WriteLine(text);
    Report->push_back(line + text);
    ++Failed;
}

void TFileMerger::MergeFile(const std::string& name) {
    const std::string line = "    " + name;
    Write(line);
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
        const std::string text = LangText("<EN> (file not found)<PL> (brak pliku)");
        WriteLine(text);
        Report->push_back(line + text);
        ++Failed;
        return;
    }
    // The reader lock keeps a record store off the file while it is checked
    // and copied (and refuses a file a store is writing).
    TFd file;
    std::string reason;
    if (!TryOpenDataFileForReading(name, file, reason)) return Skip(line, reason);
    int64_t size = 0;
    TFileStructure structure = CheckStructure(file.Get(), LineLength, &size);
    if (structure == TFileStructure::ValidPartial) {
        // Shortening changes the input: only under the exclusive lock, and
        // after checking again what the file holds now.
        if (!LockDataFileExclusive(file.Get())) return Skip(line, IOErrorText(32));
        structure = CheckStructure(file.Get(), LineLength, &size);
    }
    if (structure == TFileStructure::Invalid) {
        const std::string text =
            LangText("<EN> (invalid file structure)<PL> (nieprawidlowa struktura pliku)");
        WriteLine(text);
        Report->push_back(line + text);
        ++Failed;
        return;
    }
    const int64_t records = size / LineLength;
    if (structure == TFileStructure::ValidPartial) {
        TFd writable(::open(name.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        if (writable.Get() < 0) return Skip(line, SystemErrorText(errno));
        struct stat held {
        }, opened{};
        if (::fstat(file.Get(), &held) != 0 || ::fstat(writable.Get(), &opened) != 0 ||
            held.st_ino != opened.st_ino || held.st_dev != opened.st_dev)
            return Skip(line, IOErrorText(32));
        if (::ftruncate(writable.Get(), records * LineLength) != 0)
            return Skip(line, SystemErrorText(errno));
    }
    try {
        AppendToOutput(file.Get(), records * LineLength);
    } catch (const EGeneric& e) {
        WriteLine("");
        throw EGeneric(FileErrorText(OutputName, e.Text()));
    }
    // Counted only once the records are in the output.
    std::string text = " - " + std::to_string(records);
    Write(text);
    if (structure == TFileStructure::ValidPartial) {
        const std::string removed =
            LangText("<EN> (partial record removed)<PL> (usuniety niepelny rekord)");
        Write(removed);
        text += removed;
    }
    Total += static_cast<int32_t>(records);
    ++Merged;
    Report->push_back(line + text);
    WriteLine("");
}

void TFileMerger::MergeSpec(const std::string& entry) {
    if (!HasWildcard(entry)) {
        MergeFile(entry);
        return;
    }
    const std::string heading = "  [" + entry + "]";
    WriteLine(heading);
    Report->push_back(heading);
    const fs::path pattern(entry);
    const fs::path folder = pattern.has_parent_path() ? pattern.parent_path() : fs::path(".");
    const std::string namePattern = pattern.filename().string();
    std::vector<std::string> matches;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) continue;
        if (WildcardMatch(namePattern, it->path().filename().string()))
            matches.push_back(fs::absolute(it->path(), typeError).lexically_normal().string());
    }
    std::sort(matches.begin(), matches.end());
    for (const std::string& match : matches)
        if (Handled->AddFile(match)) MergeFile(match);
}

void TFileMerger::Run() {
    LineLength = Script->Instructions.LineLength();
    if (LineLength < 3)
        throw EGeneric(
            LangText("<EN>The script defines no data fields."
                     "<PL>Skrypt nie definiuje żadnych pól danych."));
    // An output named among the inputs would be emptied before it is read.
    for (const std::string& entry : *Inputs)
        if (!HasWildcard(entry) && SameFile(entry, OutputName))
            throw EGeneric(FormatText(
                LangText("<EN>The output file \"%s\" is also one of the input files."
                         "<PL>Plik wynikowy \"%s\" jest też jednym z plików źródłowych."),
                OutputName.c_str()));
    Handled = std::make_unique<TFilesHandled>();
    Handled->AddFile(OutputName);
    Report->push_back(
        FormatText(LangText("<EN>Output file<PL>Plik wynikowy<*>: \"%s\""), OutputName.c_str()));
    std::string quoted;
    for (const std::string& entry : *Inputs) {
        if (!quoted.empty()) quoted += ", ";
        quoted += "\"" + entry + "\"";
    }
    Report->push_back(
        FormatText(LangText("<EN>Input files<PL>Pliki źródłowe<*>: %s"), quoted.c_str()));
    Report->push_back("");
    WriteLine(
        FormatText(LangText("<EN>Creating output file<PL>Tworzenie pliku wynikowego<*> \"%s\"..."),
                   OutputName.c_str()));
    // The records gather under a temporary name that replaces the output only
    // when the merge is complete: a failed merge leaves no partial output.
    Output = std::make_unique<TOutputFile>(OutputName);
    Handled->AddFile(Output->TempPath());
    WriteLine("");
    WriteLine(LangText("<EN>Merging files<PL>Łączenie plików<*>..."));
    for (const std::string& entry : *Inputs)
        MergeSpec(entry);
    // Not one input could be merged: no empty output is left in its place.
    if (Merged == 0 && Failed > 0) {
        Output.reset();
        const std::string none = LangText(
            "<EN>No input file could be merged: the output file was not written."
            "<PL>Nie udało się połączyć żadnego pliku źródłowego: plik wynikowy nie "
            "został zapisany.");
        WriteLine("");
        WriteLine(none);
        Report->push_back("");
        Report->push_back(none);
        return;
    }
    try {
        Output->Commit();
    } catch (const EGeneric& e) {
        throw EGeneric(FileErrorText(OutputName, e.Text()));
    }
    Output.reset();
    const std::string total = FormatText(
        LangText(
            "<EN>Number of records in output file<PL>Liczba rekordów w pliku wynikowym<*>: %d"),
        Total);
    WriteLine("");
    WriteLine(total);
    Report->push_back("");
    Report->push_back(total);
}

}  // namespace tallyra::core
