// SPDX-License-Identifier: GPL-3.0-or-later
#include "dataexport.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "../data/datafile.h"
#include "../data/tentrykeyboard.h"
#include "../script/tpxdictionary.h"
#include "../shell/cp1250.h"
#include "../shell/errors.h"
#include "../shell/fdio.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"
#include "atomicoutput.h"

namespace tallyra::core {

namespace {

constexpr size_t BufferSize = size_t{1} << 20;
constexpr int64_t ProgressStep = 65536;

// One kept field: where it lies in the record and which variable it is.
struct TKeptField {
    size_t Offset;
    size_t Width;
    bool IsString;
    const TVar* Var;
};

// Reads the chosen full records of a data file front to back through one
// large buffer, checking that each is a record of the script (CR LF at its
// end and nowhere else).
class TRecordPass {
public:
    TRecordPass(const std::string& dataFile, size_t lineLength, TDataFileLock lock)
        : Name(dataFile), L(lineLength) {
        // The reader lock keeps a record store off the file while it is read.
        File = OpenDataFileForReading(dataFile, lock);
        struct stat info {};
        if (::fstat(File.Fd, &info) != 0) RaiseFileError(dataFile, errno);
        FullCount = static_cast<int64_t>(info.st_size) / static_cast<int64_t>(L);
        // Bytes after the full records, other than an old end-of-file mark,
        // are an incomplete record.
        const int64_t tail = static_cast<int64_t>(info.st_size) - FullCount * int64_t(L);
        char mark = 0;
        Incomplete =
            tail > 1 ||
            (tail == 1 && (::pread(File.Fd, &mark, 1, info.st_size - 1) != 1 || mark != 26));
    }
    // Calls visit(record number, record bytes) for each chosen record.
    template <class Visit>
    void Run(const std::optional<std::vector<int64_t>>& records, Visit visit) {
        if (::lseek(File.Fd, 0, SEEK_SET) != 0) RaiseFileError(Name, errno);
        const size_t perRead = std::max<size_t>(1, BufferSize / L);
        std::vector<char> buffer(perRead * L);
        size_t next = 0;  // the next wanted entry of `records`
        int64_t n = 0;
        while (n < FullCount) {
            if (records && (next >= records->size() || (*records)[next] > FullCount)) break;
            const int64_t batch = std::min<int64_t>(static_cast<int64_t>(perRead), FullCount - n);
            const size_t want = static_cast<size_t>(batch) * L;
            size_t got = 0;
            try {
                got = ReadFull(File.Fd, buffer.data(), want);
            } catch (const EGeneric& e) {
                throw EGeneric(FileErrorText(Name, e.Text()));
            }
            if (got != want)
                throw EGeneric(FileErrorText(
                    Name, LangText("<EN>The file became shorter while it was read (another "
                                   "program changed it).<PL>Plik skrócił się w czasie czytania "
                                   "(zmienił go inny program).")));
            for (int64_t r = 0; r < batch; ++r) {
                const int64_t record = n + r + 1;
                if (records) {
                    if (next >= records->size() || (*records)[next] != record) continue;
                    ++next;
                }
                const char* data = buffer.data() + static_cast<size_t>(r) * L;
                if (data[L - 2] != '\r' || data[L - 1] != '\n' ||
                    std::memchr(data, '\r', L - 2) != nullptr ||
                    std::memchr(data, '\n', L - 2) != nullptr)
                    throw EPXData(std::string());
                visit(record, data);
            }
            n += batch;
        }
    }

    int64_t FullCount = 0;
    bool Incomplete = false;

private:
    std::string Name;
    TFd File;
    size_t L;
};

// The text of a string field: empty when never entered, "\n" escapes as
// line breaks, trailing blanks removed.
std::string_view FieldString(std::string_view raw, std::string& scratch) {
    if (raw.find_first_not_of('*') == std::string_view::npos) return std::string_view();
    if (raw.find('\\') != std::string_view::npos) {
        scratch.assign(raw);
        for (size_t at = 0; (at = scratch.find("\\n", at)) != std::string::npos; at += 2)
            scratch.replace(at, 2, "\r\n");
        raw = scratch;
    }
    const size_t end = raw.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string_view() : raw.substr(0, end + 1);
}

// Bytes each 1250 byte takes in UTF-8.
struct TUtf8Lengths {
    unsigned char Length[256];
    TUtf8Lengths() {
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            Length[b] = static_cast<unsigned char>(Cp1250ToUtf8(std::string_view(&c, 1)).size());
        }
    }
};

[[noreturn]] void NotANumber(int64_t record, const TVar& var, std::string_view raw) {
    throw EGeneric(FormatText(LangText("<EN>Record %lld, variable %s: \"%s\" is not a number."
                                       "<PL>Rekord %lld, zmienna %s: \"%s\" nie jest liczbą."),
                              static_cast<long long>(record), var.Name.c_str(),
                              Cp1250ToUtf8(raw).c_str()));
}

}  // namespace

std::optional<bool> ReadExportNumber(std::string_view field, double& number) {
    if (field.find_first_not_of(" *") == std::string_view::npos) return std::nullopt;
    if (field.find_first_not_of('#') == std::string_view::npos) return std::nullopt;
    size_t i = field.find_first_not_of(' ');
    const size_t start = i;
    if (field[i] == '+' || field[i] == '-') ++i;
    if (i >= field.size()) return false;
    for (size_t k = i; k < field.size(); ++k)
        if (field[k] < '0' || field[k] > '9') return false;
    double value = 0;
    if (field.size() - i <= 18) {
        // Up to 18 digits fit an int64_t exactly: the common case, and cheap.
        int64_t digits = 0;
        for (size_t k = i; k < field.size(); ++k)
            digits = digits * 10 + (field[k] - '0');
        value = static_cast<double>(digits);
    } else {
        const auto result = std::from_chars(field.data() + i, field.data() + field.size(), value);
        if (result.ec != std::errc()) return false;
    }
    // "-0" is zero, not the negative zero a reader would print as "-0".
    number = field[start] == '-' && value != 0 ? -value : value;
    return true;
}

TDataExportSummary ExportDataSet(const TPXDictionary& script, TVarColl& vars,
                                 const std::string& dataFile, const std::string& target,
                                 const TDataExportOptions& options) {
    std::vector<const TPXFieldInstruction*> fields;
    for (int32_t i = 0; i < script.Instructions.Count(); ++i)
        if (const TPXFieldInstruction* f = script.Instructions.Field(i)) fields.push_back(f);
    // The set is built from the same text; anything else is a caller's mistake
    // that must not mislabel columns.
    bool matches = static_cast<size_t>(vars.Count()) == fields.size();
    for (size_t i = 0; matches && i < fields.size(); ++i)
        matches = vars.Get(static_cast<int32_t>(i))->Start == fields[i]->Column &&
                  vars.Get(static_cast<int32_t>(i))->Width == fields[i]->Width;
    if (!matches)
        throw EGeneric(
            LangText("<EN>The variables do not match the script's fields."
                     "<PL>Zmienne nie odpowiadają polom skryptu."));
    std::set<int32_t> chosen;
    for (const int32_t index : options.Fields) {
        if (index < 0 || static_cast<size_t>(index) >= fields.size())
            throw EGeneric(FormatText(
                LangText("<EN>There is no field number %d.<PL>Nie ma pola numer %d."), index));
        chosen.insert(index);
    }
    if (options.Fields.empty())
        for (size_t i = 0; i < fields.size(); ++i)
            chosen.insert(static_cast<int32_t>(i));
    if (chosen.empty())
        throw EGeneric(LangText("<EN>No fields selected.<PL>Nie wybrano żadnych pól."));
    RefuseInputAsOutput(target, {dataFile});

    if (!options.Spss.VariableLabels)
        for (const auto& v : vars.Items)
            v->Label.clear();
    ApplyNinesMissing(vars, options.Spss.Missing8, options.Spss.Missing9);

    const size_t lineLength = static_cast<size_t>(script.Instructions.LineLength());
    if (lineLength < 3)
        throw EGeneric(
            LangText("<EN>The script defines no data fields."
                     "<PL>Skrypt nie definiuje żadnych pól danych."));
    std::vector<TKeptField> kept;
    std::vector<TDataSetColumn> columns;
    for (const int32_t index : chosen) {
        const TVar& v = *vars.Get(index);
        kept.push_back(
            {static_cast<size_t>(v.Start - 1), static_cast<size_t>(v.Width), v.IsString(), &v});
        TDataSetColumn column;
        column.Name = v.Name;
        column.Label = v.Label;
        column.IsString = v.IsString();
        column.Width = v.Width;
        column.StorageWidth = v.Width;
        column.ValueLabels = v.ValueLabels.Items;
        column.MissingCount = v.MissingCount;
        column.MissingRange = v.MissingRange;
        column.MissingValues = v.MissingValues;
        columns.push_back(std::move(column));
    }

    TRecordPass pass(dataFile, lineLength, options.DataLock);
    int64_t total = pass.FullCount;
    if (options.Records)
        total = std::count_if(options.Records->begin(), options.Records->end(),
                              [&](int64_t r) { return r >= 1 && r <= pass.FullCount; });
    if (total == 0)
        throw EGeneric(options.Records ? LangText("<EN>No records selected.<PL>Nie wybrano "
                                                  "żadnych rekordów.")
                                       : NoFullRecordsText());

    const TDataSetEncoding encoding = DataSetEncoding(options.Format);
    std::string scratch;
    const bool anyString =
        std::any_of(kept.begin(), kept.end(), [](const TKeptField& k) { return k.IsString; });
    if (encoding == TDataSetEncoding::Utf8 && anyString) {
        // String widths count bytes, and a Polish letter takes two in UTF-8:
        // a first pass finds the longest value of each string variable.
        static const TUtf8Lengths lengths;
        pass.Run(options.Records, [&](int64_t, const char* data) {
            for (size_t k = 0; k < kept.size(); ++k) {
                if (!kept[k].IsString) continue;
                const std::string_view text =
                    FieldString(std::string_view(data + kept[k].Offset, kept[k].Width), scratch);
                int32_t bytes = 0;
                for (const char c : text)
                    bytes += lengths.Length[static_cast<unsigned char>(c)];
                columns[k].StorageWidth = std::max(columns[k].StorageWidth, bytes);
                columns[k].LongestBytes = std::max(columns[k].LongestBytes, bytes);
            }
        });
    }

    TDataExportSummary summary;
    summary.Variables = static_cast<int32_t>(kept.size());
    TAtomicOutput output(target);
    summary.IncompleteLeftOut = pass.Incomplete;
    TDataSetWriterOptions writerOptions;
    writerOptions.CsvValueLabels = options.CsvValueLabels;
    writerOptions.CsvRaw = options.CsvRaw;
    writerOptions.CutLongTexts = options.CutLongTexts;
    writerOptions.OutputName = target;
    const auto writer = CreateDataSetWriter(options.Format, output.Fd(), writerOptions);
    writer->Begin(columns, total);
    pass.Run(options.Records, [&](int64_t record, const char* data) {
        for (const TKeptField& k : kept) {
            const std::string_view raw(data + k.Offset, k.Width);
            if (k.IsString) {
                writer->Text(FieldString(raw, scratch));
                continue;
            }
            double number = 0;
            const std::optional<bool> read = ReadExportNumber(raw, number);
            if (!read) {
                writer->Missing();
            } else if (*read) {
                writer->Number(number);
            } else if (options.Lenient) {
                writer->Missing();
                ++summary.LenientValues;
            } else {
                NotANumber(record, *k.Var, raw);
            }
        }
        writer->EndRow();
        ++summary.Records;
        if (options.Progress && summary.Records % ProgressStep == 0)
            options.Progress(summary.Records, total);
    });
    writer->Finish();
    summary.TextsCut = writer->TextsCut();
    output.Commit();
    if (options.Progress) options.Progress(summary.Records, total);
    return summary;
}

}  // namespace tallyra::core
