// SPDX-License-Identifier: GPL-3.0-or-later
#include "resolvedfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "../script/tpxdictionary.h"
#include "../shell/cp1250.h"
#include "../shell/errors.h"
#include "../shell/fdio.h"
#include "../shell/filebytes.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"
#include "datacompare.h"
#include "datainput.h"

namespace tallyra::core {

namespace {

std::string StoredText(std::string text) {
    size_t pos = 0;
    while ((pos = text.find("\r\n", pos)) != std::string::npos)
        text.replace(pos, 2, "\\n");
    return text;
}

// The new file under a temporary name; removed unless committed.
class TTempTarget {
public:
    explicit TTempTarget(const std::string& target) : Target(target) {
        // Created exclusively with the usual mode (the user's umask applies),
        // under a name no other writer uses.
        for (int attempt = 0; attempt < 1000 && Fd.Fd < 0; ++attempt) {
            Name =
                target + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
            Fd.Fd =
                ::open(Name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (Fd.Fd < 0 && errno != EEXIST) {
                const int err = errno;
                Name.clear();
                RaiseSystemError(err);
            }
        }
        if (Fd.Fd < 0) {
            Name.clear();
            RaiseSystemError(EEXIST);
        }
    }
    ~TTempTarget() {
        if (!Name.empty()) ::unlink(Name.c_str());
    }
    void Write(const char* data, size_t n) { WriteFull(Fd.Fd, data, n); }
    void Commit() {
        if (::fdatasync(Fd.Fd) != 0 && errno != EINVAL) RaiseSystemError(errno);
        if (::close(Fd.Release()) != 0) RaiseSystemError(errno);
        MakeBackup(Target);
        if (::rename(Name.c_str(), Target.c_str()) != 0) RaiseSystemError(errno);
        Name.clear();
    }

private:
    std::string Target;
    std::string Name;
    TFd Fd;
};

}  // namespace

TResolvedValue ResolveDifference(const TFieldDifference& difference, bool baseIsFirst,
                                 std::string text) {
    return {baseIsFirst ? difference.RecordFirst : difference.RecordSecond, difference.FieldIndex,
            std::move(text)};
}

void WriteResolvedFile(const TPXDictionary& script, const std::string& baseFile,
                       std::vector<TResolvedValue> values, const std::string& target,
                       const std::vector<std::string>& inputs) {
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
    TDataInput base(baseFile, L);

    // Every value checked and made the field's characters before anything is
    // written.
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

    TTempTarget out(target);
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
                std::memcpy(record.data() + f->Column - 1, next->Text.data(), next->Text.size());
            }
            put = record.data();
        }
        block.insert(block.end(), put, put + L);
        if (block.size() >= (size_t(256) << 10)) {
            out.Write(block.data(), block.size());
            block.clear();
        }
    }
    out.Write(block.data(), block.size());
    out.Commit();
}

}  // namespace tallyra::core
