// SPDX-License-Identifier: GPL-3.0-or-later
#include "resolvedfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "../data/datafile.h"
#include "../data/entrynavigation.h"
#include "../export/atomicoutput.h"
#include "../script/tpxdictionary.h"
#include "../shell/cp1250.h"
#include "../shell/errors.h"
#include "../shell/filebytes.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"
#include "datainput.h"

namespace tallyra::core {

namespace {

// A text field keeps a line break as the two characters "\n".
std::string StoredText(std::string text) {
    size_t pos = 0;
    while ((pos = text.find_first_of("\r\n", pos)) != std::string::npos) {
        const size_t n = text.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
        text.replace(pos, n, "\\n");
        pos += 2;
    }
    return text;
}

std::string Trimmed(const std::string& text) {
    const size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return std::string();
    return text.substr(b, text.find_last_not_of(' ') - b + 1);
}

int64_t Nanoseconds(const struct timespec& t) {
    return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

[[noreturn]] void NotCompared(int32_t record, const std::string& file) {
    throw EGeneric(FormatText(
        LangText("<EN>Record %d of the file \"%s\" is not the record that was compared: the "
                 "file has changed since the comparison. Nothing was written; compare the "
                 "files again.<PL>Rekord %d pliku \"%s\" nie jest rekordem, który porównano: "
                 "plik zmienił się od porównania. Niczego nie zapisano; porównaj pliki "
                 "ponownie."),
        record, file.c_str()));
}

}  // namespace

TChosenCheck CheckChosenValue(const TPXFieldInstruction& field, const std::string& text,
                              bool typed) {
    TChosenCheck check;
    const size_t width = size_t(field.Width);
    std::string t = text;
    if (typed) {
        if (field.IsText()) {
            t = StoredText(std::move(t));
        } else {
            // As entry leaves a typed number: without blanks, zeros in front.
            t = Trimmed(t);
            if (!t.empty() && t.size() < width) {
                if (t[0] >= '0' && t[0] <= '9')
                    t.insert(0, width - t.size(), '0');
                else if ((t[0] == '+' || t[0] == '-') && t.size() > 1)
                    t.insert(1, width - t.size(), '0');
            }
        }
    }
    if (t.size() > width) {
        check.Kind = TChosenKind::Invalid;
        check.Reason = FormatText(LangText("<EN>The value is longer than the field (%d "
                                           "characters).<PL>Wartość jest dłuższa niż pole (%d "
                                           "znaków)."),
                                  field.Width);
        return check;
    }
    t.resize(width, ' ');
    check.Text = t;
    if (field.IsText()) return check;
    const bool undefined = std::all_of(t.begin(), t.end(), [](char c) { return c == '#'; });
    if (undefined || t == field.AutoValue()) return check;
    int32_t v = 0;
    if (!DataStrToInt(t, v)) {
        check.Kind = TChosenKind::Invalid;
        check.Text.clear();
        check.Reason = LangText("<EN>Invalid value.<PL>Liczba zapisana błędnie.");
        return check;
    }
    const auto& numeric = static_cast<const TPXNumericInstruction&>(field);
    if (numeric.Range.Contains(v)) return check;
    check.Kind = TChosenKind::OutOfRange;
    const std::string range = numeric.Range.ToText();
    check.Reason = FormatText(LangText("<EN>Value out of range %s, not forced.<PL>Liczba spoza "
                                       "zakresu %s, nie wymuszona."),
                              range.c_str());
    check.Question = FormatText(LangText("<EN>Value out of range\r\n%s.\r\n\r\nForce value?"
                                         "<PL>Liczba spoza zakresu\r\n%s.\r\n\r\nWymusić wartość?"),
                                range.c_str());
    return check;
}

TResolvedValue ResolveDifference(const TFieldDifference& difference, TPairBy by, bool baseIsFirst,
                                 std::string text, bool forced) {
    TResolvedValue value;
    value.Record = baseIsFirst ? difference.RecordFirst : difference.RecordSecond;
    value.FieldIndex = difference.FieldIndex;
    value.Text = std::move(text);
    value.Forced = forced;
    if (by == TPairBy::Identifier) value.Identifier = difference.Key;
    value.Compared = baseIsFirst ? difference.First : difference.Second;
    return value;
}

TComparedFiles::TComparedFiles(const std::string& first, const std::string& second) {
    const std::string* names[] = {&first, &second};
    for (size_t i = 0; i < 2; ++i) {
        THeld& h = Files[i];
        h.Name = *names[i];
        h.Fd = OpenDataFileForReading(h.Name);
        struct stat info {};
        if (::fstat(h.Fd.Get(), &info) != 0) RaiseFileError(h.Name, errno);
        h.Device = info.st_dev;
        h.Inode = info.st_ino;
        h.Size = info.st_size;
        h.Modified = Nanoseconds(info.st_mtim);
        h.Changed = Nanoseconds(info.st_ctim);
    }
}

void TComparedFiles::CheckUnchanged() const {
    for (const THeld& h : Files) {
        struct stat now {
        }, named{};
        const bool same = ::fstat(h.Fd.Get(), &now) == 0 && ::stat(h.Name.c_str(), &named) == 0 &&
                          named.st_dev == h.Device && named.st_ino == h.Inode &&
                          now.st_size == h.Size && Nanoseconds(now.st_mtim) == h.Modified &&
                          Nanoseconds(now.st_ctim) == h.Changed;
        if (!same)
            throw EGeneric(FormatText(
                LangText("<EN>The file \"%s\" has changed since the comparison. Nothing was "
                         "written; compare the files again.<PL>Plik \"%s\" zmienił się od "
                         "porównania. Niczego nie zapisano; porównaj pliki ponownie."),
                h.Name.c_str()));
    }
}

TResolvedSummary WriteResolvedFile(const TPXDictionary& script, const std::string& baseFile,
                                   std::vector<TResolvedValue> values, const std::string& target,
                                   const std::vector<std::string>& inputs,
                                   const TComparedFiles* held) {
    std::vector<std::string> protectedFiles = inputs;
    protectedFiles.push_back(baseFile);
    for (const std::string& input : protectedFiles) {
        if (SameFile(target, input))
            throw EGeneric(FormatText(
                LangText("<EN>The resolved file \"%s\" would replace one of the compared files."
                         "<PL>Plik wynikowy \"%s\" zastąpiłby jeden z porównywanych plików."),
                target.c_str()));
        if (SameFile(BackupName(target), input))
            throw EGeneric(FormatText(
                LangText("<EN>The backup copy of \"%s\" would replace one of the compared files."
                         "<PL>Kopia zapasowa pliku \"%s\" zastąpiłaby jeden z porównywanych "
                         "plików."),
                target.c_str()));
    }
    const int32_t L = script.Instructions.LineLength();
    if (L < 3)
        throw EGeneric(LangText(
            "<EN>The script defines no data fields.<PL>Skrypt nie definiuje żadnych pól danych."));
    // No store may change a compared file while the resolved file is made
    // from it.
    std::vector<TFd> locks;
    for (const std::string& input : inputs)
        locks.push_back(OpenDataFileForReading(input));
    TDataInput base(baseFile, L);
    if (held) held->CheckUnchanged();

    // Every value checked and made the field's characters before anything is
    // written.
    TResolvedSummary summary;
    for (TResolvedValue& v : values) {
        const TPXFieldInstruction* f =
            v.FieldIndex >= 0 && v.FieldIndex < script.Instructions.Count()
                ? script.Instructions.Field(v.FieldIndex)
                : nullptr;
        if (f == nullptr || v.Record < 1 || v.Record > base.FullCount())
            throw EGeneric(
                FormatText(LangText("<EN>There is no field %d in record %d of the file \"%s\"."
                                    "<PL>Nie ma pola %d w rekordzie %d pliku \"%s\"."),
                           v.FieldIndex, v.Record, baseFile.c_str()));
        std::string text = f->IsText() ? StoredText(std::move(v.Text)) : std::move(v.Text);
        if (f->IsText() && text.size() < size_t(f->Width)) text.resize(size_t(f->Width), ' ');
        if (text.size() != size_t(f->Width) || text.find_first_of("\r\n") != std::string::npos)
            throw EGeneric(FormatText(
                LangText("<EN>The value \"%s\" does not fit field %d (%d characters) of record "
                         "%d.<PL>Wartość \"%s\" nie pasuje do pola %d (%d znaków) rekordu %d."),
                Cp1250ToUtf8(text).c_str(), v.FieldIndex, f->Width, v.Record));
        const TChosenCheck check = CheckChosenValue(*f, text, false);
        if (check.Kind == TChosenKind::Invalid ||
            (check.Kind == TChosenKind::OutOfRange && !v.Forced))
            throw EGeneric(FormatText(
                LangText("<EN>The value \"%s\" of field %d in record %d breaks the field's "
                         "rules: %s<PL>Wartość \"%s\" pola %d w rekordzie %d łamie reguły pola: "
                         "%s"),
                Cp1250ToUtf8(text).c_str(), v.FieldIndex, v.Record, check.Reason.c_str()));
        if (check.Kind == TChosenKind::OutOfRange) ++summary.Forced;
        v.Text = std::move(text);
    }
    std::stable_sort(
        values.begin(), values.end(), [](const TResolvedValue& x, const TResolvedValue& y) {
            return x.Record != y.Record ? x.Record < y.Record : x.FieldIndex < y.FieldIndex;
        });
    for (size_t i = 1; i < values.size(); ++i)
        if (values[i].Record == values[i - 1].Record &&
            values[i].FieldIndex == values[i - 1].FieldIndex)
            throw EGeneric(
                FormatText(LangText("<EN>Two values were chosen for field %d of record %d."
                                    "<PL>Wybrano dwie wartości dla pola %d rekordu %d."),
                           values[i].FieldIndex, values[i].Record));
    summary.Values = int64_t(values.size());

    const TPXFieldInstruction* id = script.Instructions.FindRecId();
    const auto holds = [](const char* record, const TPXFieldInstruction& f,
                          const std::string& text) {
        return text.size() == size_t(f.Width) &&
               std::memcmp(record + f.Column - 1, text.data(), text.size()) == 0;
    };
    TOutputFile out(target);
    std::vector<char> block;
    block.reserve(size_t(256) << 10);
    std::string record;
    auto next = values.begin();
    const char* data = nullptr;
    while (base.Next(data)) {
        const char* put = data;
        if (next != values.end() && next->Record == base.Position()) {
            record.assign(data, size_t(L));
            for (; next != values.end() && next->Record == base.Position(); ++next) {
                const TPXFieldInstruction* f = script.Instructions.Field(next->FieldIndex);
                // The value was chosen for this questionnaire as it was compared.
                if ((next->Identifier && (id == nullptr || !holds(data, *id, *next->Identifier))) ||
                    (next->Compared && !holds(data, *f, *next->Compared)))
                    NotCompared(next->Record, baseFile);
                std::memcpy(record.data() + f->Column - 1, next->Text.data(), next->Text.size());
            }
            put = record.data();
        }
        block.insert(block.end(), put, put + L);
        if (block.size() >= (size_t(256) << 10)) {
            out.Write(block.data(), block.size());
            block.clear();
        }
        ++summary.Records;
    }
    out.Write(block.data(), block.size());
    if (held) held->CheckUnchanged();
    TBackedUpTarget backup(target, protectedFiles);
    out.Commit();
    backup.Keep();
    return summary;
}

}  // namespace tallyra::core
