// SPDX-License-Identifier: GPL-3.0-or-later
#include "saveselection.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <set>
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

int64_t FileSize(const std::string& name, TDataFileLock lock) {
    const TFd fd = OpenDataFileForReading(name, lock);
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) RaiseFileError(name, errno);
    return static_cast<int64_t>(info.st_size);
}

// The store's structure test for `count` whole records: each ends in CR LF
// and holds no CR or LF before it.
bool RecordsFit(const char* data, size_t count, size_t L) {
    for (size_t r = 0; r < count; ++r) {
        const char* rec = data + r * L;
        if (rec[L - 2] != '\r' || rec[L - 1] != '\n') return false;
        if (std::memchr(rec, '\r', L - 2) != nullptr || std::memchr(rec, '\n', L - 2) != nullptr)
            return false;
    }
    return true;
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
                                         const std::string& outputName,
                                         const std::string& scriptFile, TDataFileLock lock) {
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
    summary.FullCount = FileSize(dataFile, lock) / lineLength;
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
    for (const std::string* name : {&names.Data, &names.Script, &names.Syntax}) {
        if (SameFile(*name, dataFile))
            throw EGeneric(FormatText(LangText("<EN>The file \"%s\" is the data file being read."
                                               "<PL>Plik \"%s\" jest czytanym plikiem danych."),
                                      name->c_str()));
        if (!scriptFile.empty() && SameFile(*name, scriptFile))
            throw EGeneric(FormatText(LangText("<EN>The file \"%s\" is the script being read."
                                               "<PL>Plik \"%s\" jest czytanym skryptem."),
                                      name->c_str()));
    }
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
                                    int maxNameLength, const std::string& scriptFile,
                                    TDataFileLock lock) {
    const TSaveSelectionSummary summary =
        CheckSaveSelection(script, dataFile, fieldIndexes, records, outputName, scriptFile, lock);
    const auto kept = KeptFields(AllFields(script), fieldIndexes);
    const TSaveSelectionNames names = SaveSelectionNames(outputName);
    const size_t lineLength = static_cast<size_t>(script.Instructions.LineLength());
    size_t outLength = 2;
    for (const TPXFieldInstruction* field : kept)
        outLength += static_cast<size_t>(field->Width);

    // Each file is written under a temporary name, and all three take their
    // names only when all are complete, so a failure never leaves a file.
    const auto writeFailed = [](const TOutputFile& file, const EGeneric& e) {
        return EGeneric(FileErrorText(file.Target(), e.Text()));
    };
    TOutputFile dataOut(names.Data);
    {
        // The reader lock keeps a record store off the file while it is read.
        const TFd source = OpenDataFileForReading(dataFile, lock);
        const auto mismatch = [&]() { return EGeneric(DataMismatchText(dataFile)); };
        // Whole records per read; kept records gather in the output buffer.
        const size_t perRead = std::max<size_t>(1, BufferSize / lineLength);
        std::vector<char> in(perRead * lineLength);
        std::string out;
        out.reserve(BufferSize + outLength);
        std::string record(outLength, ' ');
        record[outLength - 2] = '\r';
        record[outLength - 1] = '\n';
        const auto flush = [&]() {
            try {
                dataOut.Write(out.data(), out.size());
            } catch (const EGeneric& e) {
                throw writeFailed(dataOut, e);
            }
            out.clear();
        };
        int64_t n = 0;
        for (;;) {
            size_t got = 0;
            try {
                got = ReadFull(source.Get(), in.data(), in.size());
            } catch (const EGeneric& e) {
                throw EGeneric(FileErrorText(dataFile, e.Text()));
            }
            const size_t whole = got / lineLength;
            const size_t tail = got - whole * lineLength;
            // The file must fit the script as it does for the record store.
            if (!RecordsFit(in.data(), whole, lineLength)) throw mismatch();
            const char* rest = in.data() + whole * lineLength;
            if (tail > 0 && (std::memchr(rest, '\r', std::min(tail, lineLength - 2)) != nullptr ||
                             std::memchr(rest, '\n', std::min(tail, lineLength - 2)) != nullptr))
                throw mismatch();
            for (size_t r = 0; r < whole && n + int64_t(r) < summary.FullCount; ++r) {
                if (!records(n + int64_t(r) + 1)) continue;
                const char* from = in.data() + r * lineLength;
                size_t at = 0;
                for (const TPXFieldInstruction* field : kept) {
                    std::copy_n(from + field->Column - 1, field->Width,
                                record.begin() + static_cast<long>(at));
                    at += static_cast<size_t>(field->Width);
                }
                out += record;
                if (out.size() >= BufferSize) flush();
            }
            n += int64_t(whole);
            if (got < in.size()) break;
        }
        // The file changed between counting and reading.
        if (n != summary.FullCount) throw mismatch();
        flush();
    }
    // Fields that do not make a script of their own (only the record
    // identifier, say) are refused before any file takes its name.
    std::vector<std::string> lines;
    for (const TPXFieldInstruction* field : kept)
        field->WriteDefinition(lines);
    std::string scriptText;
    for (const std::string& line : lines)
        scriptText += line + "\r\n";
    std::string syntax;
    try {
        TVarColl vars;
        vars.ReadScriptText(scriptText, maxNameLength);
        vars.Validate();
        fs::path dataPath = fs::absolute(names.Syntax);
        dataPath.replace_extension(fs::path(names.Data).extension());
        syntax =
            vars.DataListText(dataPath.lexically_normal().string()) + vars.VariableLabelsText();
    } catch (const EGeneric& e) {
        throw EGeneric(FormatText(
            LangText("<EN>%s cannot be written: the chosen fields do not make a script of their "
                     "own.\r\n%s<PL>Nie można zapisać %s: wybrane pola nie tworzą osobnego "
                     "skryptu.\r\n%s"),
            names.Script.c_str(), e.Text().c_str()));
    }

    const auto commit = [&](TOutputFile& file) {
        try {
            file.Commit();
        } catch (const EGeneric& e) {
            throw writeFailed(file, e);
        }
    };
    TOutputFile scriptOut(names.Script);
    try {
        scriptOut.Write(scriptText.data(), scriptText.size());
    } catch (const EGeneric& e) {
        throw writeFailed(scriptOut, e);
    }
    TOutputFile syntaxOut(names.Syntax);
    try {
        syntaxOut.Write(syntax.data(), syntax.size());
    } catch (const EGeneric& e) {
        throw writeFailed(syntaxOut, e);
    }
    // All three are written before any takes its name: a full disk leaves
    // none of them.
    commit(dataOut);
    commit(scriptOut);
    commit(syntaxOut);
    return summary;
}

}  // namespace tallyra::core
