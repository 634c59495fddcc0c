#include "saveselection.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "../merge/tfilemerger.h"
#include "../script/tpxdictionary.h"
#include "../shell/errors.h"
#include "../shell/fdio.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"
#include "tvarcoll.h"

namespace tallyra::core {

namespace fs = std::filesystem;

namespace {

constexpr size_t BufferSize = size_t{1} << 20;

std::vector<const TPXFieldInstruction*> AllFields(const TPXDictionary& script) {
    std::vector<const TPXFieldInstruction*> fields;
    for (const auto& instruction : script.Instructions.Items)
        if (instruction->Kind == ikField)
            fields.push_back(static_cast<const TPXFieldInstruction*>(instruction.get()));
    return fields;
}

// The kept fields in script order; raises for an index outside the fields.
std::vector<const TPXFieldInstruction*> KeptFields(
    const std::vector<const TPXFieldInstruction*>& fields, const std::vector<int32_t>& indexes) {
    std::set<int32_t> chosen;
    for (int32_t index : indexes) {
        if (index < 0 || static_cast<size_t>(index) >= fields.size())
            throw EGeneric(FormatText(
                LangText("<EN>There is no field number %d.<PL>Nie ma pola numer %d."), index));
        chosen.insert(index);
    }
    std::vector<const TPXFieldInstruction*> kept;
    for (int32_t index : chosen)
        kept.push_back(fields[static_cast<size_t>(index)]);
    return kept;
}

int64_t FileSize(const std::string& name) {
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0) RaiseSystemError(errno);
    if (!S_ISREG(info.st_mode)) RaiseSystemError(EISDIR);
    return static_cast<int64_t>(info.st_size);
}

bool SameFile(const std::string& a, const std::string& b) {
    if (TFilesHandled::FullPath(a) == TFilesHandled::FullPath(b)) return true;
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

TSaveSelectionNames SaveSelectionNames(const std::string& outputName) {
    TSaveSelectionNames names;
    names.Data = outputName;
    fs::path script(outputName);
    script.replace_extension(".slo");
    names.Script = script.string();
    fs::path syntax(script);
    syntax.replace_extension(".sps");
    names.Syntax = syntax.string();
    return names;
}

TRecordSelection RecordsFromSortedList(std::vector<int64_t> records) {
    return [list = std::move(records)](int64_t record) {
        return std::binary_search(list.begin(), list.end(), record);
    };
}

std::string TSaveSelectionSummary::Information() const {
    return FormatText(LangText("<EN>Selected:\r\n               %d of %d fields,\r\n"
                               "               %d of %d records."
                               "<PL>Wybrano:\r\n               %d z %d pól,\r\n"
                               "               %d z %d rekordów."),
                      Fields, AllFields, static_cast<int>(Records), static_cast<int>(FullCount));
}

std::string ExistingSaveSelectionFiles(const TSaveSelectionNames& names) {
    std::string list;
    for (const std::string* name : {&names.Data, &names.Script, &names.Syntax}) {
        std::error_code ec;
        if (!fs::exists(*name, ec)) continue;
        if (!list.empty()) list += ",\r\n";
        list += *name;
    }
    return list;
}

std::string SaveSelectionOverwriteQuestion(const std::string& existing) {
    return existing + LangText(
                          "<EN> already exist.\r\nDo you want to replace them?"
                          "<PL> już istnieje.\r\nChcesz zastąpić plik(i)");
}

TSaveSelectionSummary CheckSaveSelection(const TPXDictionary& script, const std::string& dataFile,
                                         const std::vector<int32_t>& fieldIndexes,
                                         const TRecordSelection& records,
                                         const std::string& outputName) {
    const auto fields = AllFields(script);
    const auto kept = KeptFields(fields, fieldIndexes);
    const int64_t lineLength = script.Instructions.LineLength();
    if (lineLength < 3)
        throw EGeneric(
            LangText("<EN>The script defines no data fields."
                     "<PL>Skrypt nie definiuje żadnych pól danych."));
    TSaveSelectionSummary summary;
    summary.Fields = static_cast<int32_t>(kept.size());
    summary.AllFields = static_cast<int32_t>(fields.size());
    summary.FullCount = FileSize(dataFile) / lineLength;
    for (int64_t n = 1; n <= summary.FullCount; ++n)
        if (records(n)) ++summary.Records;
    if (summary.Records == 0)
        throw EGeneric(LangText("<EN>No records selected.<PL>Nie wybrano żadnych rekordów."));
    if (summary.Fields == 0)
        throw EGeneric(LangText("<EN>No fields selected.<PL>Nie wybrano żadnych pól."));
    if (summary.Fields == summary.AllFields && summary.Records == summary.FullCount)
        throw EGeneric(
            LangText("<EN>All fields and all records selected."
                     "<PL>Wybrano wszystkie pola i wszystkie rekordy."));
    // The data file would be emptied before it is read, and two outputs of
    // one name would overwrite each other.
    const TSaveSelectionNames names = SaveSelectionNames(outputName);
    for (const std::string* name : {&names.Data, &names.Script, &names.Syntax})
        if (SameFile(*name, dataFile))
            throw EGeneric(FormatText(LangText("<EN>The file \"%s\" is the data file being read."
                                               "<PL>Plik \"%s\" jest czytanym plikiem danych."),
                                      name->c_str()));
    if (SameFile(names.Data, names.Script) || SameFile(names.Data, names.Syntax))
        throw EGeneric(FormatText(
            LangText("<EN>The data file \"%s\" would be overwritten by its script or SPSS syntax."
                     "<PL>Plik danych \"%s\" zostałby nadpisany przez swój skrypt lub opis SPSS."),
            names.Data.c_str()));
    return summary;
}

TSaveSelectionSummary SaveSelection(const TPXDictionary& script, const std::string& dataFile,
                                    const std::vector<int32_t>& fieldIndexes,
                                    const TRecordSelection& records, const std::string& outputName,
                                    int maxNameLength) {
    const TSaveSelectionSummary summary =
        CheckSaveSelection(script, dataFile, fieldIndexes, records, outputName);
    const auto kept = KeptFields(AllFields(script), fieldIndexes);
    const TSaveSelectionNames names = SaveSelectionNames(outputName);
    const size_t lineLength = static_cast<size_t>(script.Instructions.LineLength());
    size_t outLength = 2;
    for (const TPXFieldInstruction* field : kept)
        outLength += static_cast<size_t>(field->Width);

    {
        TFd source, target;
        source.Fd = ::open(dataFile.c_str(), O_RDONLY | O_CLOEXEC);
        if (source.Fd < 0) RaiseSystemError(errno);
        target.Fd = ::open(names.Data.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (target.Fd < 0) RaiseSystemError(errno);
        // Whole records per read; kept records gather in the output buffer.
        const size_t perRead = std::max<size_t>(1, BufferSize / lineLength);
        std::vector<char> in(perRead * lineLength);
        std::string out;
        out.reserve(BufferSize + outLength);
        std::string record(outLength, ' ');
        record[outLength - 2] = '\r';
        record[outLength - 1] = '\n';
        int64_t n = 0;
        while (n < summary.FullCount) {
            const int64_t batch =
                std::min<int64_t>(static_cast<int64_t>(perRead), summary.FullCount - n);
            const size_t want = static_cast<size_t>(batch) * lineLength;
            if (ReadFull(source.Fd, in.data(), want) != want) RaiseSystemError(EIO);
            for (int64_t r = 0; r < batch; ++r) {
                if (!records(n + r + 1)) continue;
                const char* from = in.data() + static_cast<size_t>(r) * lineLength;
                size_t at = 0;
                for (const TPXFieldInstruction* field : kept) {
                    std::copy_n(from + field->Column - 1, field->Width,
                                record.begin() + static_cast<long>(at));
                    at += static_cast<size_t>(field->Width);
                }
                out += record;
                if (out.size() >= BufferSize) {
                    WriteFull(target.Fd, out.data(), out.size());
                    out.clear();
                }
            }
            n += batch;
        }
        WriteFull(target.Fd, out.data(), out.size());
        const int result = ::close(target.Fd);
        target.Fd = -1;
        if (result != 0) RaiseSystemError(errno);
    }

    std::vector<std::string> lines;
    for (const TPXFieldInstruction* field : kept)
        field->WriteDefinition(lines);
    std::string scriptText;
    for (const std::string& line : lines)
        scriptText += line + "\r\n";
    {
        TFd file;
        file.Fd = ::open(names.Script.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (file.Fd < 0) RaiseSystemError(errno);
        WriteFull(file.Fd, scriptText.data(), scriptText.size());
        const int result = ::close(file.Fd);
        file.Fd = -1;
        if (result != 0) RaiseSystemError(errno);
    }

    TVarColl vars(names.Script, maxNameLength);
    vars.WriteDataList(names.Syntax, fs::path(names.Data).extension().string(), TWriteMode::Create);
    vars.WriteVariableLabels(names.Syntax, TWriteMode::Append);
    return summary;
}

}  // namespace tallyra::core
