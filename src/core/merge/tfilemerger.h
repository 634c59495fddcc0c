// SPDX-License-Identifier: GPL-3.0-or-later
// The data file merger: appends the records of several data files written
// under one script to one output file, after checking that each input really
// consists of records of the script's length, and reports every step.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace tallyra::core {

class TOutputFile;
class TPXDictionary;

// The set of full paths already merged or excluded. Paths are compared as
// the file system does on this platform (case-sensitively), after making
// them absolute and resolving links, so one file reached by two names counts
// once.
class TFilesHandled {
public:
    // Adds the full path of `name`; false when it is already in the set.
    bool AddFile(const std::string& name);
    bool Contains(const std::string& name) const;

private:
    std::set<std::string> Paths;
};

// What a progress window supplies while the merge runs: it shows the text and
// lets pending window events run so that it stays responsive between files.
class IMergeProgress {
public:
    virtual ~IMergeProgress() = default;
    // Appends text (which may hold CR LF line ends) to the shown output.
    virtual void AppendText(const std::string& text) = 0;
    // Lets pending window events run.
    virtual void ProcessPendingEvents() = 0;
};

// Result of the structure check of one input file.
enum class TFileStructure { Invalid, Valid, ValidPartial };

class TFileMerger {
public:
    // `script`, `inputs` and `report` are borrowed and must outlive the
    // merger. Without a progress window the text goes to `out` (standard
    // output by default).
    TFileMerger(const TPXDictionary& script, const std::vector<std::string>& inputs,
                std::vector<std::string>& report, std::string outputName,
                std::ostream* out = nullptr);
    virtual ~TFileMerger();
    TFileMerger(const TFileMerger&) = delete;
    TFileMerger& operator=(const TFileMerger&) = delete;

    // Attaches a borrowed progress window (or detaches it with nullptr).
    void SetProgress(IMergeProgress* progress) { Progress = progress; }

    // Writes text without ending the line.
    virtual void Write(const std::string& text);
    // Writes text and ends the line.
    virtual void WriteLine(const std::string& text);
    // Merges one input entry: a file name, or a pattern with "*" and "?"
    // whose matches are merged once each, in name order.
    virtual void MergeSpec(const std::string& entry);
    // Merges one file: reports it missing, unusable (with the reason: in
    // use, not a regular file, unreadable) or invalid and counts it in
    // Failed, or shortens a partial last record (under the exclusive lock),
    // then appends it to the output.
    virtual void MergeFile(const std::string& name);
    // The whole merge; called once. The output is written under a temporary
    // name in its folder and takes the output's place only at the end, so a
    // failed run leaves an existing output as it was and no partial one.
    // Raises EGeneric naming the output when it cannot be created or
    // written, when an input cannot be read, when the output is also named
    // among the inputs, or when the script has no field.
    virtual void Run();

    // The structure check of a file against record length L (L >= 3), taken
    // under the reader lock. Raises EGeneric when the file cannot be opened,
    // locked or read.
    static TFileStructure CheckStructure(const std::string& name, int64_t lineLength,
                                         int64_t* fileSize = nullptr);
    // The same for an open descriptor, read from its start with pread.
    static TFileStructure CheckStructure(int fd, int64_t lineLength, int64_t* fileSize = nullptr);

    // Inputs named (or matched) that were not merged: missing, unreadable,
    // in use, not a regular file, of the wrong structure.
    int32_t Failed = 0;
    int32_t Merged = 0;  // inputs whose records went into the output

    int32_t Total = 0;
    std::unique_ptr<TFilesHandled> Handled;
    const TPXDictionary* Script;             // borrowed
    const std::vector<std::string>* Inputs;  // borrowed
    std::vector<std::string>* Report;        // borrowed
    std::string OutputName;

private:
    void AppendToOutput(int fd, int64_t size);
    // Reports an input that is not merged, with the reason.
    void Skip(const std::string& line, const std::string& reason);

    std::ostream* Out;
    IMergeProgress* Progress = nullptr;  // borrowed
    std::unique_ptr<TOutputFile> Output;
    int64_t LineLength = 0;
};

// True when name matches pattern; "*" matches any run of characters, "?" any
// one character.
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace tallyra::core
