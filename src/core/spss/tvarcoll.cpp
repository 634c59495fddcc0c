// SPDX-License-Identifier: GPL-3.0-or-later
#include "tvarcoll.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unordered_set>

#include "../script/tpxdictionary.h"
#include "../script/tpxmessage.h"
#include "../shell/cp1250.h"
#include "../shell/errors.h"
#include "../shell/fdio.h"
#include "../shell/filebytes.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"
#include "../shell/privatetemp.h"

namespace tallyra::core {

namespace {

const char* const ReservedWords[] = {"ALL", "NE", "EQ",  "TO",  "LE", "LT",  "BY",
                                     "OR",  "GT", "AND", "NOT", "GE", "WITH"};

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return upper;
}

std::string Trim(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ')
        ++b;
    while (e > b && text[e - 1] == ' ')
        --e;
    return std::string(text.substr(b, e - b));
}

// A stored script text without its surrounding quote characters, or empty
// when it is not longer than the two quotes.
std::string Unquoted(const std::string& stored) {
    return stored.size() > 2 ? stored.substr(1, stored.size() - 2) : std::string();
}

// Up to `limit` bytes from the start of a file.
std::string LoadHead(const std::string& fileName, size_t limit) {
    TFd fd = OpenRegularFile(fileName, O_RDONLY);
    std::FILE* file = ::fdopen(fd.Get(), "rb");
    if (file == nullptr) RaiseSystemError(errno);
    fd.Release();
    std::string bytes;
    char buffer[32768];
    size_t n;
    while (bytes.size() < limit && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) RaiseSystemError(EIO);
    if (bytes.size() > limit) bytes.resize(limit);
    return bytes;
}

}  // namespace

std::string LoadSourceFile(const std::string& fileName) {
    // The one rule of every whole-file read: a regular file of at most
    // MaxDocumentBytes, checked before reading.
    return ReadFileBytes(fileName, MaxDocumentBytes);
}

TVarSourceKind DetectVarSourceKind(const std::string& fileName, std::string_view head) {
    if (std::filesystem::path(fileName).extension().string() == ".cdb")
        return TVarSourceKind::ColumnList;
    // A system file cut short inside its first record, or a ".sav" that does
    // not even have one, goes to the system file reader, which says the file
    // ends too early or is no system file, rather than being read as a
    // listing.
    {
        static constexpr std::string_view Marks[] = {"$FL2@(#) SPSS DATA FILE",
                                                     "$FL3@(#) SPSS DATA FILE"};
        for (const std::string_view mark : Marks)
            if (head.size() >= 3 && head.size() < mark.size() && mark.starts_with(head))
                return TVarSourceKind::SystemFile;
        std::string extension = std::filesystem::path(fileName).extension().string();
        for (char& c : extension)
            if (c >= 'A' && c <= 'Z') c = char(c + 32);
        if (extension == ".sav" || extension == ".zsav") return TVarSourceKind::SystemFile;
        // A portable file's 200-byte splash text comes before its mark.
        if (extension == ".por" || head.substr(0, 600).find("SPSSPORT") != std::string_view::npos)
            return TVarSourceKind::PortableFile;
    }
    // Lines end at CR LF, LF or CR.
    size_t pos = 0;
    const auto nextLine = [&](std::string& line) {
        if (pos >= head.size()) return false;
        const size_t end = head.find_first_of("\r\n", pos);
        const size_t stop = end == std::string_view::npos ? head.size() : end;
        line.assign(head.substr(pos, stop - pos));
        pos = stop;
        if (pos < head.size() && head[pos] == '\r') ++pos;
        if (pos < head.size() && head[pos] == '\n') ++pos;
        return true;
    };
    std::string line, first;
    bool found = false;
    while (nextLine(line)) {
        first = Trim(line);
        if (!first.empty()) {
            found = true;
            break;
        }
    }
    if (!found) return TVarSourceKind::Empty;
    // SPSS comment commands before the first command (each up to a line
    // ending in ".", a blank line or a line starting in its first column):
    // syntax when a DATA LIST or FILE HANDLE line follows them.
    {
        const size_t rest = pos;
        std::string look = first;
        bool comment = false;
        for (;;) {
            const std::string upper = UpperAscii(look);
            if (!(upper.starts_with('*') || upper == "COMMENT" || upper.starts_with("COMMENT ") ||
                  upper.starts_with("COMMENT\t")))
                break;
            comment = true;
            look.clear();
            bool ended = upper.ends_with('.');
            while (nextLine(line)) {
                const std::string trimmed = Trim(line);
                if (trimmed.empty()) {
                    ended = true;
                    continue;
                }
                if (ended || (line[0] != ' ' && line[0] != '\t')) {
                    look = trimmed;
                    break;
                }
                ended = trimmed.ends_with('.');
            }
            if (look.empty()) break;
        }
        const std::string upper = UpperAscii(look);
        if (comment && (upper.starts_with("DATA LIST") || upper.starts_with("FILE HANDLE")))
            return TVarSourceKind::Syntax;
        pos = rest;
    }
    std::string second;
    bool hasSecond = false;
    if (first[0] == '{') {
        const size_t close = first.find('}');
        const size_t at = close == std::string::npos ? 0 : close + 1;  // 1-based
        if (!(at >= 2 && at + 1 <= first.size())) hasSecond = nextLine(second);
    }
    // SPSS and PSPP both write "$FL2@(#) SPSS DATA FILE" followed by their own
    // product text; "$FL3" marks a file whose data are compressed with zlib.
    static constexpr std::string_view SystemMark = "@(#) SPSS DATA FILE";
    if ((first.starts_with("$FL2") || first.starts_with("$FL3")) &&
        std::string_view(first).substr(4).starts_with(SystemMark))
        return TVarSourceKind::SystemFile;
    const std::string upper = UpperAscii(first);
    if (upper.find("DATA LIST") != std::string::npos ||
        upper.find("FILE HANDLE") != std::string::npos)
        return TVarSourceKind::Syntax;
    const std::string look = hasSecond ? UpperAscii(second) : upper;
    if (look.find("LEFT") == std::string::npos && look.find("COMMENT") == std::string::npos &&
        look.find('*') == std::string::npos)
        return TVarSourceKind::Listing;
    return TVarSourceKind::Script;
}

std::string ConvertListingBytes(std::string_view bytes) {
    std::string out(bytes);
    constexpr size_t Block = 32768;
    for (size_t start = 0; start < out.size(); start += Block) {
        const size_t end = std::min(out.size(), start + Block);
        for (size_t i = start; i < end; ++i) {
            if (out[i] == 26)
                out[i] = 0;
            else if (out[i] == '\\' && i + 1 < end && out[i + 1] == '\n')
                out[i] = '\r';
        }
    }
    return out;
}

TVarColl::TVarColl(const std::string& fileName, int maxNameLength) {
    const std::string head = LoadHead(fileName, 1 << 20);
    switch (DetectVarSourceKind(fileName, head)) {
        case TVarSourceKind::ColumnList:
            ReadColumnList(fileName);
            break;
        case TVarSourceKind::SystemFile:
            ReadSystemFile(fileName);
            break;
        case TVarSourceKind::PortableFile:
            // ReadStat, the one reader of data sets here, fails on the
            // portable files PSPP writes; better a clear refusal than a
            // listing's "no information" or a half-read dictionary.
            throw EGeneric(LangText(
                "<EN>SPSS portable files (.por) are not read. Open the system file (.sav), or "
                "make one with PSPP: IMPORT FILE='file.por'. SAVE OUTFILE='file.sav'."
                "<PL>Pliki przenośne SPSS (.por) nie są czytane. Otwórz plik systemowy (.sav) "
                "albo utwórz go w PSPP: IMPORT FILE='plik.por'. SAVE OUTFILE='plik.sav'."));
        case TVarSourceKind::Syntax:
            ReadSyntax(fileName);
            break;
        case TVarSourceKind::Listing: {
            // The temporary copy goes with `temp` on every path, a failure
            // (even running out of memory) included.
            TPrivateTempFile temp(std::filesystem::path(fileName).stem().string() + ".$$$");
            temp.Write(ConvertListingBytes(LoadSourceFile(fileName)));
            temp.Close();
            ReadListing(temp.Path());  // the temporary file goes with `temp`
            break;
        }
        case TVarSourceKind::Script:
            ReadScript(fileName, maxNameLength);
            break;
        case TVarSourceKind::Empty:
            break;
    }
    Validate();
}

TVarColl::TVarColl(const TVarColl& other)
    : StringValuesLeftOut(other.StringValuesLeftOut), LeftOutNames(other.LeftOutNames) {
    Items.reserve(other.Items.size());
    for (const auto& v : other.Items)
        Items.push_back(std::make_unique<TVar>(*v));
}

TVar* TVarColl::FindByName(std::string_view name) {
    const std::string upper = UpperAscii(name);
    const int32_t count = Count();
    if (count == 0) return nullptr;
    if (Cursor >= count || Cursor < 0) Cursor = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Index what was added since; start again when variables went away or
        // a hit proves the index stale.
        if (attempt > 0 || IndexedCount > Items.size()) {
            NameIndex.clear();
            IndexedCount = 0;
        }
        for (; IndexedCount < Items.size(); ++IndexedCount)
            NameIndex[Items[IndexedCount]->Name].push_back(static_cast<int32_t>(IndexedCount));
        const auto found = NameIndex.find(upper);
        if (found == NameIndex.end()) return nullptr;
        // The first index at or after the cursor, else the first of all.
        const std::vector<int32_t>& indexes = found->second;
        const auto at = std::lower_bound(indexes.begin(), indexes.end(), Cursor);
        const int32_t index = at != indexes.end() ? *at : indexes.front();
        if (index < count && Items[static_cast<size_t>(index)]->Name == upper) {
            Cursor = index;
            return Items[static_cast<size_t>(index)].get();
        }
    }
    return nullptr;
}

bool TVarColl::IsValidName(std::string_view name) {
    // The letters of code page 1250 beyond ASCII: those of 0x8A..0xBF listed,
    // and 0xC0..0xFE but for the two signs among them.
    const auto letter = [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 'A' && c <= 'Z') return true;
        if (c >= 0xC0) return c != 0xD7 && c != 0xF7 && c != 0xFF;
        static constexpr std::string_view Others =
            "\x8A\x8C\x8D\x8E\x8F\x9A\x9C\x9D\x9E\x9F\xA3\xA5\xAA\xAF\xB3\xB9\xBA\xBC\xBE\xBF";
        return Others.find(ch) != std::string_view::npos;
    };
    const std::string upper = UpperAscii(name);
    if (upper.empty() || !letter(upper[0]) || upper.back() == '.') return false;
    for (size_t i = 1; i < upper.size(); ++i) {
        const char c = upper[i];
        const bool ok = c == '#' || c == '$' || c == '.' || (c >= '0' && c <= '9') || c == '@' ||
                        letter(c) || c == '_';
        if (!ok) return false;
    }
    for (const char* word : ReservedWords)
        if (upper == word) return false;
    return true;
}

void TVarColl::Validate() const {
    if (Items.empty())
        throw EGeneric(
            LangText("<EN>No variables were defined in this file."
                     "<PL>W pliku nie zadefiniowano ani jednej zmiennej."));
    for (const auto& v : Items)
        if (!IsValidName(v->Name))
            throw EGeneric(FormatText(LangText("<EN>Illegal variable name \"%s\"."
                                               "<PL>Nieprawidłowa nazwa zmiennej \"%s\"."),
                                      Cp1250ToUtf8(v->Name).c_str()));
    std::vector<const std::string*> names;
    names.reserve(Items.size());
    for (const auto& v : Items)
        names.push_back(&v->Name);
    std::sort(names.begin(), names.end(),
              [](const std::string* a, const std::string* b) { return *a < *b; });
    for (size_t i = 1; i < names.size(); ++i)
        if (*names[i] == *names[i - 1])
            throw EGeneric(FormatText(LangText("<EN>Repeated variable name \"%s\"."
                                               "<PL>Powtórzona nazwa zmiennej \"%s\"."),
                                      Cp1250ToUtf8(*names[i]).c_str()));
}

void TVarColl::NoteStringValuesLeftOut(const std::string& name) {
    if (LeftOutNames.insert(name).second) StringValuesLeftOut.push_back(name);
}

void TVarColl::ReadScript(const std::string& fileName, int maxNameLength) {
    ReadScriptText(JoinLinesCRLF(LoadSourceFile(fileName)), maxNameLength);
}

void TVarColl::ReadScriptText(std::string_view source, int maxNameLength) {
    const std::string text = JoinLinesCRLF(source);
    const TScriptOptions options = FixedReadingOptions();
    TPXMessageList messages;
    messages.Limit = LimitForErrorMode(options.ErrorMode, options.ErrorCount);
    TPXDictionary script(text, options, messages);
    if (messages.CountKinds({mkError}) > 0) {
        std::string detail;
        for (int32_t i = 0; i < messages.Count(); ++i) {
            const TEHMessage* m = messages.Get(i);
            if (m->Kind != mkError) continue;
            if (!detail.empty()) detail += "\r\n";
            const TCaret caret = OffsetToCaret(text, m->Position - 1);
            detail +=
                FormatText(LangText("<EN>%s\r\nLine %d, column %d.<PL>%s\r\nLinia %d, kolumna %d."),
                           m->GetText().c_str(), caret.Line + 1, caret.Column + 1);
        }
        throw EGeneric(FormatText(
            LangText("<EN>Error reading .SLO file.\r\n%s<PL>Błąd czytania pliku .SLO.\r\n%s"),
            detail.c_str()));
    }
    ReadScriptFields(script, maxNameLength);
}

void TVarColl::ReadScriptFields(const TPXDictionary& script, int maxNameLength) {
    const size_t maxLen = maxNameLength > 0 ? static_cast<size_t>(maxNameLength) : 0;
    // The names taken so far, so that a derived name that is taken becomes
    // the numbered one without a walk over every variable.
    std::unordered_set<std::string> taken;
    for (const auto& v : Items)
        taken.insert(v->Name);
    for (const auto& instruction : script.Instructions.Items) {
        if (instruction->Kind != ikField) continue;
        const auto& field = static_cast<const TPXFieldInstruction&>(*instruction);
        auto v = NewVar();
        v->Label = Unquoted(field.VarLab);
        if (v->Label.empty()) v->Label = Unquoted(field.Left);
        if (!field.VarName.empty()) {
            v->Name = UpperAscii(field.VarName);
        } else {
            std::string name = v->Label.substr(0, maxLen);
            const size_t blank = name.find(' ');
            if (blank != std::string::npos) name.resize(blank);
            const std::string numbered = "V" + std::to_string(Items.size() + 1);
            const char first = name.empty() ? '\0' : UpperAscii(name.substr(0, 1))[0];
            if ((first >= 'A' && first <= 'Z') || first == '_') {
                name = UpperAscii(name);
                for (char& c : name)
                    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '_')) c = '_';
                if (taken.count(name) != 0) name = numbered;
            } else {
                name = numbered;
            }
            v->Name = name;
        }
        taken.insert(v->Name);
        v->Start = field.Column;
        v->Width = field.Width;
        v->Decimals = 0;
        if (field.IsText()) {
            v->VarType = vtString;
            v->Format = "A" + std::to_string(field.Width);
        } else {
            v->VarType = vtNumeric;
            v->Format = "F" + std::to_string(field.Width);
            for (const TPXValLab& label :
                 static_cast<const TPXNumericInstruction&>(field).ValLabs) {
                TVal val = v->NewVal();
                val.Value = label.Value;
                val.Text = Unquoted(label.Text);
                v->ValueLabels.Add(val);
            }
        }
        Add(std::move(v));
    }
}

}  // namespace tallyra::core
