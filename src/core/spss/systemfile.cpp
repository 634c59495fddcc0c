// SPDX-License-Identifier: GPL-3.0-or-later
// The SPSS system file reader of TVarColl: takes the dictionary (variable
// records, value labels, long variable names, very long strings, the
// character encoding) and
// skips everything else; the case data are never read. Every count and
// length is checked before it is used, so a damaged file gives a clear error
// instead of a fault or a huge allocation. Texts are converted from the
// file's encoding (its encoding record, else its machine record's character
// code) to code page 1250, the model's encoding.
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "../shell/cp1250.h"
#include "../shell/errors.h"
#include "../shell/fdio.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"
#include "tvarcoll.h"

namespace tallyra::core {

namespace {

constexpr int64_t MaxSystemVariables = 1000000;
constexpr int64_t MaxLabelsPerRecord = 1000000;
constexpr int64_t MaxLabelCopies = 5000000;           // value labels over the whole set
constexpr int64_t MaxKeptRecord = int64_t{16} << 20;  // bytes of an extension record kept

// Extension record subtypes the reader uses.
constexpr int32_t MachineIntegerInfo = 3;
constexpr int32_t LongVariableNames = 13;
constexpr int32_t VeryLongStrings = 14;
constexpr int32_t CharacterEncoding = 20;

[[noreturn]] void Damaged(const char* reason) {
    throw EGeneric(FormatText(LangText("<EN>Invalid SPSS system file: %s."
                                       "<PL>Nieprawidłowy plik systemowy SPSS: %s."),
                              LangText(reason).c_str()));
}

const char* const Truncated = "<EN>the file ends too early<PL>plik kończy się przedwcześnie";
const char* const BadHeader = "<EN>invalid header<PL>nieprawidłowy nagłówek";
const char* const BadVariable = "<EN>invalid variable record<PL>nieprawidłowy opis zmiennej";
const char* const BadLabels =
    "<EN>invalid value label record<PL>nieprawidłowy opis etykiet wartości";
const char* const BadRecord = "<EN>invalid record<PL>nieprawidłowy rekord";
const char* const TooMany = "<EN>too many variables or labels<PL>zbyt wiele zmiennych lub etykiet";

// Reading from a stream in the file's byte order (little-endian unless its
// header shows otherwise), with the end of file as an error.
class TSysInput {
public:
    explicit TSysInput(std::FILE* file) : File(file) {}
    // Numbers of a file written on a big-endian machine have their bytes the
    // other way round.
    bool BigEndian = false;
    void Read(void* buffer, size_t size) {
        if (size > 0 && std::fread(buffer, 1, size, File) != size) {
            if (std::ferror(File)) RaiseSystemError(EIO);
            Damaged(Truncated);
        }
    }
    // True when the next read would find the end of the file.
    bool AtEnd() {
        const int c = std::fgetc(File);
        if (c == EOF) return true;
        std::ungetc(c, File);
        return false;
    }
    int32_t Int32() {
        unsigned char b[4];
        Read(b, 4);
        if (BigEndian) std::swap(b[0], b[3]), std::swap(b[1], b[2]);
        return static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 |
                                    uint32_t{b[3]} << 24);
    }
    double Float() {
        unsigned char b[8];
        Read(b, 8);
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits = BigEndian ? bits << 8 | b[i] : bits | uint64_t{b[i]} << (8 * i);
        return std::bit_cast<double>(bits);
    }
    // The 4 bytes of a format, in the order of the file's numbers: decimals,
    // width, type, 0 from the lowest byte up.
    void Format(unsigned char format[4]) {
        Read(format, 4);
        if (BigEndian) std::swap(format[0], format[3]), std::swap(format[1], format[2]);
    }
    std::string Text(size_t size) {
        std::string text(size, '\0');
        Read(text.data(), size);
        return text;
    }
    void Skip(int64_t size) {
        char buffer[4096];
        while (size > 0) {
            const size_t chunk = size < 4096 ? static_cast<size_t>(size) : 4096;
            Read(buffer, chunk);
            size -= static_cast<int64_t>(chunk);
        }
    }

private:
    std::FILE* File;
};

std::string TrimBlanks(const std::string& text) {
    const size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return std::string();
    return text.substr(b, text.find_last_not_of(' ') - b + 1);
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The texts of a file in one of the encodings below become 1250 bytes;
// characters the code page lacks become "?". A file of any other encoding
// keeps its bytes as they are.
enum class TSysEncoding { Cp1250, Utf8, Latin1 };

TSysEncoding EncodingFromName(std::string name) {
    name = Upper(TrimBlanks(name));
    if (name == "UTF-8" || name == "UTF8") return TSysEncoding::Utf8;
    if (name == "ISO-8859-1" || name == "ISO_8859-1" || name == "LATIN1" || name == "US-ASCII" ||
        name == "ASCII" || name == "ANSI_X3.4-1968")
        return TSysEncoding::Latin1;
    return TSysEncoding::Cp1250;
}

TSysEncoding EncodingFromCode(int32_t code) {
    if (code == 65001) return TSysEncoding::Utf8;
    if (code == 28591 || code == 20127) return TSysEncoding::Latin1;
    return TSysEncoding::Cp1250;
}

std::string ToCp1250(const std::string& text, TSysEncoding encoding) {
    if (encoding == TSysEncoding::Utf8) return Utf8ToCp1250(text);
    if (encoding == TSysEncoding::Latin1) {
        std::string out;
        for (const char c : text) {
            const int byte = UnicodeToCp1250(static_cast<unsigned char>(c));
            out += byte < 0 ? '?' : static_cast<char>(byte);
        }
        return out;
    }
    return text;
}

// Calls visit(upper-cased key, value) for each "KEY=VALUE" pair of a record
// whose pairs are separated by tabs (NULs and blanks around them ignored).
template <class Visit>
void ForEachPair(const std::string& text, Visit visit) {
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\t', at);
        if (end == std::string::npos) end = text.size();
        std::string pair = text.substr(at, end - at);
        at = end + 1;
        std::erase(pair, '\0');
        const size_t equals = pair.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = Upper(TrimBlanks(pair.substr(0, equals)));
        if (!key.empty()) visit(key, TrimBlanks(pair.substr(equals + 1)));
    }
}

// The file header; the number of variable records that follow.
int32_t ReadSystemHeader(TSysInput& in) {
    const std::string product = in.Text(64);
    if (!(product.starts_with("$FL2") || product.starts_with("$FL3")) ||
        product.compare(4, 19, "@(#) SPSS DATA FILE") != 0)
        Damaged(BadHeader);
    // The layout code (2 or 3) tells the byte order of every number after it.
    unsigned char code[4];
    in.Read(code, 4);
    in.BigEndian = code[0] == 0 && code[1] == 0 && code[2] == 0 && (code[3] == 2 || code[3] == 3);
    const int32_t layout =
        in.BigEndian ? code[3]
                     : static_cast<int32_t>(uint32_t{code[0]} | uint32_t{code[1]} << 8 |
                                            uint32_t{code[2]} << 16 | uint32_t{code[3]} << 24);
    const int32_t caseSize = in.Int32();
    const int32_t compression = in.Int32();
    const int32_t weightIndex = in.Int32();
    const int32_t cases = in.Int32();
    // Compression 2 (zlib) only comes with "$FL3"; its dictionary is plain.
    const int32_t maxCompression = product[3] == '3' ? 2 : 1;
    if ((layout != 2 && layout != 3) || caseSize < 0 || compression < 0 ||
        compression > maxCompression || weightIndex < 0 || weightIndex > caseSize || cases < 0)
        Damaged(BadHeader);
    if (caseSize > MaxSystemVariables) Damaged(TooMany);
    in.Skip(8 + 17 + 64 + 3);
    return caseSize;
}

// One variable record (a string's continuation records have no name); a
// named variable is placed at `column`, which moves past it. `leftOut` is
// set for a string with missing values, which the model cannot hold.
std::unique_ptr<TVar> ReadVariableRecord(TSysInput& in, const TVarColl& vars, int64_t& column,
                                         bool& leftOut) {
    if (in.Int32() != 2) Damaged(BadVariable);
    in.Int32();  // type code
    const int32_t hasLabel = in.Int32();
    const int32_t missingCode = in.Int32();
    if ((hasLabel != 0 && hasLabel != 1) || missingCode < -3 || missingCode > 3)
        Damaged(BadVariable);
    in.Int32();  // print format
    unsigned char format[4];
    in.Format(format);
    auto v = vars.NewVar();
    v->Decimals = format[0];
    v->Width = format[1];
    const std::string width = std::to_string(v->Width);
    if (format[2] == 1) {
        v->VarType = vtString;
        v->Format = "A" + width;
    } else {
        v->VarType = vtNumeric;
        v->Format = "F" + width + (v->Decimals > 0 ? "." + std::to_string(v->Decimals) : "");
    }
    std::string name = in.Text(8);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\0'))
        name.pop_back();
    v->Name = name;
    if (!name.empty() && (v->Width <= 0 || v->Decimals >= v->Width)) Damaged(BadVariable);
    if (hasLabel == 1) {
        const int32_t length = in.Int32();
        if (length < 0 || length > 65535) Damaged(BadVariable);
        v->Label = TrimBlanks(in.Text(static_cast<size_t>(length)));
        in.Skip((4 - length % 4) % 4);
    }
    const int floats = missingCode < 0 ? -missingCode : missingCode;
    for (int k = 0; k < floats; ++k)
        v->MissingValues[static_cast<size_t>(k)] = in.Float();
    // A string's missing values are 8 bytes of text, which the model's
    // numbers cannot hold: left out, and said so.
    leftOut = v->IsString() && floats > 0;
    if (!v->IsString()) {
        v->MissingCount = static_cast<uint8_t>(floats);
        v->MissingRange = missingCode < 0;
    }
    if (!name.empty()) {
        v->Start = static_cast<int32_t>(column);
        column += v->Width;
    }
    return v;
}

// What the reader keeps of a file's dictionary past its variable records.
struct TSysDictionary {
    TSysDictionary(TVarColl& vars, size_t first)
        : Vars(vars),
          First(first),
          Count(static_cast<int64_t>(vars.Items.size() - first)),
          LeftOut(vars.Items.size(), false) {}
    TVarColl& Vars;
    size_t First;   // the file's first variable among the set's items
    int64_t Count;  // its variable records
    int64_t LabelCopies = 0;
    int32_t CharacterCode = 0;
    std::string LongNames, VeryLongStrings, EncodingName;
    // By item: a string whose value labels or missing values were left out.
    std::vector<bool> LeftOut;
};

// A value label record (type 3, already read) and its variable record.
void ReadValueLabelRecord(TSysInput& in, TSysDictionary& dictionary) {
    const int32_t labelCount = in.Int32();
    if (labelCount < 0) Damaged(BadLabels);
    if (labelCount > MaxLabelsPerRecord) Damaged(TooMany);
    std::vector<TVal> labels;
    for (int32_t k = 0; k < labelCount; ++k) {
        TVal label;
        label.Value = in.Float();
        unsigned char length = 0;
        in.Read(&length, 1);
        label.Text = TrimBlanks(in.Text(length));
        in.Skip((8 - (1 + length) % 8) % 8);
        labels.push_back(std::move(label));
    }
    if (in.Int32() != 4) Damaged(BadLabels);
    const int32_t varCount = in.Int32();
    if (varCount < 0 || varCount > dictionary.Count) Damaged(BadLabels);
    for (int32_t k = 0; k < varCount; ++k) {
        const int32_t index = in.Int32();
        if (index < 1 || index > dictionary.Count) Damaged(BadLabels);
        dictionary.LabelCopies += labelCount;
        if (dictionary.LabelCopies > MaxLabelCopies) Damaged(TooMany);
        TVar& v = *dictionary.Vars.Items[dictionary.First + static_cast<size_t>(index - 1)];
        // The values of a string's labels are texts: left out, and said so.
        if (v.IsString()) {
            if (labelCount > 0) dictionary.LeftOut[dictionary.First + size_t(index - 1)] = true;
            continue;
        }
        for (const TVal& label : labels)
            v.ValueLabels.Add(label);
    }
}

// An extension record (type 7, already read): its sizes say how much to skip.
void ReadExtensionRecord(TSysInput& in, TSysDictionary& dictionary) {
    const int32_t subtype = in.Int32();
    const int32_t size = in.Int32();
    const int32_t elements = in.Int32();
    if (size < 0 || elements < 0) Damaged(BadRecord);
    const int64_t bytes = int64_t{size} * elements;
    if (subtype == MachineIntegerInfo && size == 4 && elements == 8) {
        for (int k = 0; k < 7; ++k)
            in.Int32();
        dictionary.CharacterCode = in.Int32();
    } else if ((subtype == LongVariableNames || subtype == VeryLongStrings ||
                subtype == CharacterEncoding) &&
               bytes <= MaxKeptRecord) {
        (subtype == LongVariableNames ? dictionary.LongNames
         : subtype == VeryLongStrings ? dictionary.VeryLongStrings
                                      : dictionary.EncodingName) =
            in.Text(static_cast<size_t>(bytes));
    } else {
        in.Skip(bytes);
    }
}

// The records after the variable records, up to the end of the dictionary:
// value labels go to their variables, the extension records the reader uses
// are kept, the rest is skipped.
void ReadDictionaryRecords(TSysInput& in, TSysDictionary& dictionary) {
    while (!in.AtEnd()) {
        const int32_t type = in.Int32();
        if (type == 3) {
            ReadValueLabelRecord(in, dictionary);
        } else if (type == 6) {  // documents: a line count, then 80 bytes a line
            const int32_t lines = in.Int32();
            if (lines < 0) Damaged(BadRecord);
            in.Skip(int64_t{lines} * 80);
        } else if (type == 7) {
            ReadExtensionRecord(in, dictionary);
        } else if (type == 999) {
            in.Int32();  // filler
            break;
        } else {
            Damaged(BadRecord);
        }
    }
}

// Very long strings: "SHORT=WIDTH" pairs. Such a variable is stored as
// itself and the segments that follow it (one per 252 bytes); it takes
// their columns and the segments are marked to go.
void JoinVeryLongStrings(const TSysDictionary& dictionary,
                         const std::unordered_map<std::string, size_t>& byShortName,
                         std::vector<bool>& segment) {
    std::vector<std::unique_ptr<TVar>>& items = dictionary.Vars.Items;
    ForEachPair(dictionary.VeryLongStrings,
                [&](const std::string& shortName, const std::string& value) {
                    const auto hit = byShortName.find(shortName);
                    if (hit == byShortName.end() || value.empty() || value.size() > 5 ||
                        value.find_first_not_of("0123456789") != std::string::npos)
                        return;
                    const int32_t width = std::stoi(value);
                    TVar& v = *items[hit->second];
                    if (!v.IsString() || width <= 255) return;
                    int32_t left = (width + 251) / 252 - 1;
                    for (size_t k = hit->second + 1; k < items.size() && left > 0; ++k)
                        if (!items[k]->Name.empty() && !segment[k]) {
                            segment[k] = true;
                            --left;
                        }
                    v.Width = width;
                    v.Format = "A" + std::to_string(width);
                });
}

// What the kept records say about the variables: their texts' encoding,
// very long strings and long names; then the columns of the variables that
// remain.
void ApplyDictionaryRecords(const TSysDictionary& dictionary) {
    TVarColl& vars = dictionary.Vars;
    const size_t first = dictionary.First;
    const TSysEncoding encoding = !dictionary.EncodingName.empty()
                                      ? EncodingFromName(dictionary.EncodingName)
                                      : EncodingFromCode(dictionary.CharacterCode);
    for (size_t i = first; i < vars.Items.size(); ++i) {
        TVar& v = *vars.Items[i];
        v.Label = ToCp1250(v.Label, encoding);
        for (TVal& label : v.ValueLabels.Items)
            label.Text = ToCp1250(label.Text, encoding);
    }
    // Records that name variables by their short names (as in the variable
    // records) find them through one index, so any count stays cheap.
    std::unordered_map<std::string, size_t> byShortName;
    for (size_t i = first; i < vars.Items.size(); ++i)
        if (!vars.Items[i]->Name.empty()) byShortName.emplace(Upper(vars.Items[i]->Name), i);
    std::vector<bool> segment(vars.Items.size(), false);
    JoinVeryLongStrings(dictionary, byShortName, segment);
    // Long names: "SHORT=Long name" pairs; a name without one is converted
    // as it stands (texts of the file's encoding, like the labels).
    std::vector<bool> renamed(vars.Items.size(), false);
    ForEachPair(dictionary.LongNames,
                [&](const std::string& shortName, const std::string& longName) {
                    const auto hit = byShortName.find(shortName);
                    if (hit != byShortName.end() && !longName.empty()) {
                        vars.Items[hit->second]->Name = ToCp1250(longName, encoding);
                        renamed[hit->second] = true;
                    }
                });
    for (size_t i = first; i < vars.Items.size(); ++i)
        if (!renamed[i]) vars.Items[i]->Name = ToCp1250(vars.Items[i]->Name, encoding);
    for (size_t i = first; i < vars.Items.size(); ++i) {
        if (segment[i]) vars.Items[i]->Name.clear();
        if (dictionary.LeftOut[i] && !vars.Items[i]->Name.empty())
            vars.NoteStringValuesLeftOut(vars.Items[i]->Name);
    }
    int64_t start = 1;
    for (size_t i = first; i < vars.Items.size(); ++i) {
        TVar& v = *vars.Items[i];
        if (v.Name.empty()) continue;
        v.Start = static_cast<int32_t>(start);
        start += v.Width;
    }
    std::erase_if(vars.Items, [](const std::unique_ptr<TVar>& v) { return v->Name.empty(); });
}

void ReadSystemStream(TVarColl& vars, std::FILE* file) {
    TSysInput in(file);
    const int32_t caseSize = ReadSystemHeader(in);
    const size_t firstIndex = vars.Items.size();
    int64_t column = 1;
    std::vector<size_t> leftOut;
    for (int32_t i = 0; i < caseSize; ++i) {
        bool missing = false;
        vars.Add(ReadVariableRecord(in, vars, column, missing));
        if (missing) leftOut.push_back(vars.Items.size() - 1);
    }
    TSysDictionary dictionary(vars, firstIndex);
    for (const size_t i : leftOut)
        dictionary.LeftOut[i] = true;
    ReadDictionaryRecords(in, dictionary);
    ApplyDictionaryRecords(dictionary);
}

}  // namespace

void TVarColl::ReadSystemFile(const std::string& fileName) {
    TFd fd = OpenRegularFile(fileName, O_RDONLY);
    std::FILE* file = ::fdopen(fd.Get(), "rb");
    if (file == nullptr) RaiseSystemError(errno);
    fd.Release();
    try {
        ReadSystemStream(*this, file);
    } catch (...) {
        std::fclose(file);
        throw;
    }
    std::fclose(file);
}

void TVarColl::ReadSystemBytes(std::string_view bytes) {
    if (bytes.empty()) Damaged(Truncated);
    std::FILE* file = ::fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    if (file == nullptr) RaiseSystemError(errno);
    try {
        ReadSystemStream(*this, file);
    } catch (...) {
        std::fclose(file);
        throw;
    }
    std::fclose(file);
}

}  // namespace tallyra::core
