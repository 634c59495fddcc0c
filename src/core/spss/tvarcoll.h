// SPDX-License-Identifier: GPL-3.0-or-later
// The ordered variable set of one data file: built from a script, an SPSS
// syntax file, an SPSS listing, an SPSS system file or a column list, checked
// as a whole, and written out as SPSS syntax commands.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "tvar.h"

namespace tallyra::core {
class TPXDictionary;
}

namespace tallyra::core {

// How a writer opens its target: create (or truncate) it, or append to the
// end of an existing file.
enum class TWriteMode { Create, Append };

class TVarColl {
public:
    TVarColl() = default;
    // Creation from a file: detects its kind (column list, system file, SPSS
    // syntax, listing or script), fills the set with the matching reader and
    // validates it. maxNameLength only limits names derived from labels in
    // scripts. Raises EGeneric (EParserError for SPSS syntax errors); nothing
    // half-built is returned.
    TVarColl(const std::string& fileName, int maxNameLength);
    // A deep copy.
    TVarColl(const TVarColl& other);
    TVarColl& operator=(const TVarColl&) = delete;
    virtual ~TVarColl() = default;

    int32_t Count() const { return static_cast<int32_t>(Items.size()); }
    TVar* Get(int32_t index) const { return Items[static_cast<size_t>(index)].get(); }
    // Takes ownership of v and appends it.
    void Add(std::unique_ptr<TVar> v) { Items.push_back(std::move(v)); }
    void Clear() {
        Items.clear();
        NameIndex.clear();
        IndexedCount = 0;
        StringValuesLeftOut.clear();
        LeftOutNames.clear();
    }

    // The variable with this name (compared upper-cased), or nullptr: the
    // first match from where the last search matched, wrapping around. A name
    // index keeps every lookup cheap, in any order; it assumes that the names
    // of variables already in the set are not changed.
    TVar* FindByName(std::string_view name);

    // Raises EGeneric for an empty set, the first invalid name in set order,
    // or the first repeated name in name order. Leaves the order unchanged.
    virtual void Validate() const;
    // Upper-cased name: a letter first (A-Z, or a letter of code page 1250,
    // as in names SPSS and PSPP write in Unicode); then # $ . 0-9 @ _ and
    // letters; not ending in "."; not one of the 13 reserved words. No
    // length limit.
    static bool IsValidName(std::string_view name);
    // A new empty variable (not yet added).
    virtual std::unique_ptr<TVar> NewVar() const { return std::make_unique<TVar>(); }

    // Readers. Each appends to the set and raises on the first problem (the
    // set then holds what was read so far; the creating constructor discards
    // it). The *Bytes/*Text forms read content already in memory.
    void ReadScript(const std::string& fileName, int maxNameLength);
    void ReadScriptText(std::string_view text, int maxNameLength);
    // One variable per field instruction of a script already read, in field
    // order (the names ReadScriptText gives).
    void ReadScriptFields(const TPXDictionary& script, int maxNameLength);
    void ReadSyntax(const std::string& fileName);
    void ReadSyntaxText(std::string_view text);
    // Reads a listing file that was already converted (ConvertListingBytes).
    void ReadListing(const std::string& fileName);
    void ReadListingText(std::string_view text);
    void ReadSystemFile(const std::string& fileName);
    void ReadSystemBytes(std::string_view bytes);
    void ReadColumnList(const std::string& fileName);
    void ReadColumnListText(std::string_view text);

    // Replaces the RTF escapes \'xx of the 18 Polish letters of code page
    // 1250 by their bytes; other escapes stay as they are.
    static std::string DecodeRtfLetters(std::string_view line);

    // Writers (SPSS syntax, code page 1250 bytes, CR LF). Each writes whole
    // lines and closes the file; I/O failures raise EGeneric with the system's
    // error text, leaving lines written before in the file.
    // FILE HANDLE (records ending past column 999) and DATA LIST; the data
    // file is the target with its extension replaced by dataExtension.
    void WriteDataList(const std::string& target, const std::string& dataExtension,
                       TWriteMode mode);
    // VARIABLE LABELS, only when some variable has a label.
    void WriteVariableLabels(const std::string& target, TWriteMode mode);
    // VALUE LABELS, only when some variable has value labels.
    void WriteValueLabels(const std::string& target, TWriteMode mode);
    // MISSING VALUES, only when some variable has missing values.
    void WriteMissingValues(const std::string& target, TWriteMode mode);

    // The same commands as text, for callers that gather them in memory.
    std::string DataListText(const std::string& dataPath) const;
    std::string VariableLabelsText() const;
    std::string ValueLabelsText();
    std::string MissingValuesText();

    std::vector<std::unique_ptr<TVar>> Items;

    // Variables whose value labels or missing values were left out because
    // they are texts (string variables), which the model's numbers cannot
    // hold; each name once, in the order they were found. Readers report
    // them here instead of dropping them silently.
    std::vector<std::string> StringValuesLeftOut;
    void NoteStringValuesLeftOut(const std::string& name);

private:
    int32_t Cursor = 0;  // FindByName's search start
    // Name -> ascending indexes, for the first IndexedCount variables.
    std::unordered_map<std::string, std::vector<int32_t>> NameIndex;
    size_t IndexedCount = 0;
    std::unordered_set<std::string> LeftOutNames;  // those of StringValuesLeftOut
};

// The kinds a source file can be detected as.
enum class TVarSourceKind { ColumnList, SystemFile, PortableFile, Syntax, Listing, Script, Empty };

// Kind detection from a file name and the file's first bytes (at least the
// first lines). A file without any non-empty line is Empty (it gives an empty
// set). A ".por" name, or the portable file's "SPSSPORT" mark in its first
// 600 bytes, is a PortableFile, which is not read (creation from it raises
// EGeneric saying so and how to make a system file of it). SPSS comment commands ("* ...", "COMMENT
// ...", up to a line ending in ".") before a DATA LIST or FILE HANDLE line
// are passed over, so commented syntax is still syntax.
TVarSourceKind DetectVarSourceKind(const std::string& fileName, std::string_view head);

// The listing conversion applied to a whole file, block by block of 32768
// bytes: byte 26 becomes 0, and a backslash directly followed by LF within the
// same block becomes CR.
std::string ConvertListingBytes(std::string_view bytes);

// Loads a whole file as core::ReadFileBytes does (a regular file of at most
// MaxDocumentBytes). Raises EGeneric with the system's error text, the
// not-a-regular-file text or the too-large text.
std::string LoadSourceFile(const std::string& fileName);

}  // namespace tallyra::core
