#include "tpxdatahandler.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../shell/errors.h"
#include "../shell/fdio.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace {

// Records longer than this are refused: the store keeps two record buffers
// and the editors one text per field, and a script may declare fields of any
// width.
constexpr int32_t MaxLineLength = 16 << 20;

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

// The backup name of a data file: its extension replaced by ".bak".
std::string BackupTarget(const std::string& dataName) {
    std::filesystem::path bak(dataName);
    bak.replace_extension(".bak");
    return bak.string();
}

// Removes copies "NAME.bak.XXXXXX" that a store killed while writing its
// backup left behind. A copy being written is locked by its writer (two data
// files that differ only in their extension share one backup name), so only
// copies nobody holds go.
void RemoveStaleBackupCopies(const std::string& dataName) {
    namespace fs = std::filesystem;
    const fs::path target(BackupTarget(dataName));
    const std::string prefix = target.filename().string() + ".";
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (!std::all_of(name.begin() + long(prefix.size()), name.end(),
                         [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            continue;
        const std::string path = it->path().string();
        TFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat info {};
        if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
    }
}

// Writes a backup copy next to the data file: into a new file first, which
// replaces the old ".bak" only when the copy is complete, so that a failed
// copy never destroys an earlier backup.
class TBackupWriter {
public:
    explicit TBackupWriter(const std::string& dataName) {
        namespace fs = std::filesystem;
        Target = BackupTarget(dataName);
        // A data file whose own name ends in ".bak" would be its own backup.
        std::error_code ec;
        if (fs::exists(Target, ec) && fs::equivalent(Target, dataName, ec)) return;
        if (Target == dataName) return;
        // The lock marks the copy as being written (see RemoveStaleBackupCopies).
        // Another store's clean-up may take the new file in the moment before
        // it is locked; then the name leads elsewhere and a new one is made.
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string pattern = Target + ".XXXXXX";
            const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
            if (fd < 0) RaiseFileError(Target, errno);
            struct stat held {
            }, named{};
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 &&
                ::stat(pattern.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
                held.st_dev == named.st_dev) {
                Fd = fd;
                TempName = pattern;
                return;
            }
            ::close(fd);
        }
        RaiseFileError(Target, EEXIST);
    }
    ~TBackupWriter() { Discard(); }

    // Copies the first `n` bytes of the file open as `fd` (in the kernel when
    // the system can, else through a buffer).
    void CopyFrom(int fd, int64_t n) {
        if (Fd < 0) return;
        off_t in = 0;
        try {
            while (in < n) {
                const ssize_t put = CopyRange(fd, &in, Fd, size_t(n - in));
                if (put > 0) continue;
                if (put == 0) break;
                std::vector<char> buffer(size_t(1) << 20);
                while (in < n) {
                    const ssize_t got = ::pread(
                        fd, buffer.data(), std::min<size_t>(buffer.size(), size_t(n - in)), in);
                    if (got < 0 && errno == EINTR) continue;
                    if (got <= 0) RaiseSystemError(got < 0 ? errno : EIO);
                    WriteFull(Fd, buffer.data(), size_t(got));
                    in += got;
                }
            }
        } catch (const EGeneric& e) {
            Discard();
            throw EGeneric(FileErrorText(Target, e.Text()));
        }
    }
    // Puts the finished copy in place of the old backup. The data file itself
    // is never touched, so the copy is not forced to disk first.
    void Commit() {
        if (Fd < 0) return;
        const int fd = Fd;
        Fd = -1;
        if (::close(fd) != 0 || ::rename(TempName.c_str(), Target.c_str()) != 0) {
            const int err = errno;
            ::unlink(TempName.c_str());
            RaiseFileError(Target, err);
        }
    }
    void Discard() {
        if (Fd < 0) return;
        ::unlink(TempName.c_str());
        ::close(Fd);
        Fd = -1;
    }

private:
    std::string Target;
    std::string TempName;
    int Fd = -1;
};

}  // namespace

void CheckBlock(const char* data, size_t n, size_t L) {
    if (n == L && (data[L - 2] != '\r' || data[L - 1] != '\n')) throw EPXData(std::string());
    const size_t body = std::min(n, L - 2);
    if (std::memchr(data, '\r', body) != nullptr || std::memchr(data, '\n', body) != nullptr)
        throw EPXData(std::string());
}

// A valid file holds exactly two line-end bytes per record, both at its end:
// counting them over the whole run is one pass the compiler vectorises; only
// a run that fails the count is checked record by record for the error.
void CheckRecords(const char* data, size_t count, size_t L) {
    const size_t n = count * L;
    // Sixteen bytes at a time in the compiler's portable vector type (one
    // instruction each on processors with vector units): every lane counts
    // the line-end bytes it sees, and the lanes are added up before any of
    // them could pass 255.
    typedef uint8_t TBytes __attribute__((vector_size(16)));
    size_t lineBytes = 0;
    size_t i = 0;
    while (n - i >= 16) {
        const size_t chunks = std::min<size_t>((n - i) / 16, 255);
        const size_t stop = i + chunks * 16;
        TBytes lanes = {};
        for (; i < stop; i += 16) {
            TBytes x;
            std::memcpy(&x, data + i, 16);
            // A match is all ones (-1): subtracting it adds one.
            lanes -= reinterpret_cast<TBytes>((x == 13) | (x == 10));
        }
        for (int k = 0; k < 16; ++k)
            lineBytes += lanes[k];
    }
    for (; i < n; ++i)
        lineBytes += size_t(data[i] == '\r') + size_t(data[i] == '\n');
    bool ends = lineBytes == 2 * count;
    for (size_t r = 0; ends && r < count; ++r)
        ends = data[r * L + L - 2] == '\r' && data[r * L + L - 1] == '\n';
    if (ends) return;
    for (size_t r = 0; r < count; ++r)
        CheckBlock(data + r * L, L, L);
}

bool DataStrToInt(std::string_view text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size()) return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1) return false;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min())
        return false;
    value = int32_t(v);
    return true;
}

TPXDataMessage::TPXDataMessage(int32_t record, int32_t fieldIndex, int32_t code)
    : TPXMessage(mkError, int32_t((uint32_t(record) & 0xFFFFu) | (uint32_t(fieldIndex) << 16)),
                 code),
      Record(record),
      FieldIndex(fieldIndex) {}

std::unique_ptr<TEHMessage> TPXDataMessage::CreateCopy() const {
    return std::make_unique<TPXDataMessage>(Record, FieldIndex, Code);
}

TPXDataHandler::TPXDataHandler(TPXDictionary& dictionary, IPXDataOwner* owner)
    : Owner(owner), Dictionary(&dictionary), Instructions(&dictionary.Instructions) {}

TPXDataHandler::~TPXDataHandler() {
    File.Close(DeleteOnClose);
}

std::unique_ptr<TPXDataHandler> TPXDataHandler::CreateForFile(TPXDictionary& dictionary,
                                                              bool makeBackup, IPXDataOwner* owner,
                                                              const std::string& fileName) {
    std::unique_ptr<TPXDataHandler> store(new TPXDataHandler(dictionary, owner));
    store->OpenFile(fileName, makeBackup);
    return store;
}

std::unique_ptr<TPXDataHandler> TPXDataHandler::CreateForReading(TPXDictionary& dictionary,
                                                                 IPXDataOwner* owner,
                                                                 const std::string& fileName) {
    std::unique_ptr<TPXDataHandler> store(new TPXDataHandler(dictionary, owner));
    store->OpenFile(fileName, false, true);
    return store;
}

std::unique_ptr<TPXDataHandler> TPXDataHandler::CreateTemp(TPXDictionary& dictionary,
                                                           int32_t autoBoundary,
                                                           IPXDataOwner* owner,
                                                           const std::string& folder) {
    std::unique_ptr<TPXDataHandler> store(new TPXDataHandler(dictionary, owner));
    store->OpenTemp(autoBoundary, folder);
    return store;
}

void TPXDataHandler::OpenFile(const std::string& fileName, bool makeBackup, bool readOnly) {
    InitStore();
    if (readOnly)
        File.OpenForReading(fileName);
    else
        File.Open(fileName);
    if (!readOnly) RemoveStaleBackupCopies(fileName);
    int64_t size = File.Size();
    if (size / L >= std::numeric_limits<int32_t>::max() - 1) throw EPXData(std::string());
    if (size > 0) {
        std::unique_ptr<TBackupWriter> backup;
        if (makeBackup) backup = std::make_unique<TBackupWriter>(fileName);
        // About 256 KB per read (it stays in the cache), in whole records, and no
        // more than the file.
        const size_t fileRecords = size_t(size / L) + 1;
        const size_t records =
            std::min(fileRecords, std::max<size_t>(1, (size_t(256) << 10) / size_t(L)));
        std::vector<char> buffer(records * size_t(L));
        int64_t offset = 0;
        size_t tail = 0;  // bytes of a final incomplete block
        const char* tailData = nullptr;
        for (;;) {
            const size_t got = File.ReadAt(offset, buffer.data(), buffer.size());
            if (got == 0) break;
            const size_t whole = got / size_t(L);
            CheckRecords(buffer.data(), whole, size_t(L));
            FullCount += int32_t(whole);
            tail = got - whole * size_t(L);
            size_t keep = got;
            if (tail == 1 && buffer[whole * size_t(L)] == 26) {
                // A single Ctrl-Z after the records is an old end-of-file mark.
                if (!readOnly) File.Truncate(offset + int64_t(whole) * L);
                tail = 0;
                keep = whole * size_t(L);
            }
            if (tail > 0) {
                tailData = buffer.data() + whole * size_t(L);
                CheckBlock(tailData, tail, size_t(L));
            }
            offset += int64_t(keep);
            if (got < buffer.size()) break;
        }
        if (tail > 0) {
            Context->Page = 1;
            std::memcpy(CurRecord.data(), tailData, tail);
            const int32_t n = int32_t(tail);
            int32_t found = -1;
            for (int32_t i = 0; i < Instructions->Count(); ++i) {
                if (Instructions->Get(i)->Kind == ikPage) {
                    ++Context->Page;
                    Context->PageStart = i + 1;
                } else if (const TPXFieldInstruction* f = FieldAt(i);
                           f && f->Column + f->Width - 1 > n) {
                    found = i;
                    break;
                }
            }
            if (found < 0) {
                // Every character but the line end is present: the last field
                // is the one still to be confirmed.
                for (int32_t i = Instructions->Count() - 1; i >= 0; --i)
                    if (FieldAt(i)) {
                        found = i;
                        break;
                    }
                Context->PageStart = PageStartOf(found);
                Context->Page = PageNumberOf(Context->PageStart);
            }
            EntryPos = found;
            const TPXFieldInstruction* f = FieldAt(found);
            if (f->Column <= n) {
                const int32_t last = std::min(n, f->Column + f->Width - 1);
                for (int32_t c = f->Column; c <= last; ++c)
                    CurRecord[size_t(c - 1)] = '*';
            }
        }
        if (backup) {
            backup->CopyFrom(File.Handle(), offset);
            backup->Commit();
        }
        // The source of copy-previous and of the next identifier: the last
        // complete record.
        if (FullCount > 0) File.ReadAt(int64_t(FullCount - 1) * L, PrevRecord.data(), size_t(L));
    }
    Context->Rec = FullCount + 1;
}

void TPXDataHandler::OpenTemp(int32_t autoBoundary, const std::string& folder) {
    InitStore();
    AutoBoundary = autoBoundary;
    File.CreateTemp(folder.empty() ? PrivateTempFolder() : folder);
    File.Truncate(0);
    DeleteOnClose = true;
}

void TPXDataHandler::InitStore() {
    L = Instructions->LineLength();
    Fields.assign(size_t(Instructions->Count()), nullptr);
    AutoValues.assign(size_t(Instructions->Count()), std::string());
    bool anyField = false;
    for (int32_t i = 0; i < Instructions->Count(); ++i) {
        if (Instructions->Get(i)->Kind != ikField) continue;
        const auto* f = static_cast<const TPXFieldInstruction*>(Instructions->Get(i));
        Fields[size_t(i)] = f;
        AutoValues[size_t(i)] = f->AutoValue();
        anyField = true;
    }
    if (!anyField)
        throw EPXData(LangText("<EN>The script defines no fields.<PL>Skrypt nie definiuje pól."));
    if (L > MaxLineLength)
        throw EPXData(
            LangText("<EN>The records of this script are too long for data entry."
                     "<PL>Rekordy tego skryptu są za długie do wprowadzania danych."));
    PrevRecord.assign(size_t(L), '*');
    CurRecord.assign(size_t(L), '*');
    FullCount = 0;
    Dirty = false;
    Context = std::make_unique<TPXDataContext>(*Instructions);
    Context->Rec = 1;
    ResetNewRecord();
}

void TPXDataHandler::ResetNewRecord() {
    std::fill(PrevRecord.begin(), PrevRecord.end(), '*');
    std::fill(CurRecord.begin(), CurRecord.end(), '*');
    SetEntryPosition(-1);
    Context->Page = 1;
    Context->PageStart = 0;
    Context->Cur = EntryPos;
    Context->LastWritten = -1;
    Context->GroupLabel.clear();
    Context->ActiveFilters.Clear();
}

void TPXDataHandler::SetEntryPosition(int32_t after) {
    if (!InIncomplete()) return;
    for (int32_t i = after + 1; i < Instructions->Count(); ++i)
        if (FieldAt(i)) {
            EntryPos = i;
            return;
        }
    EntryPos = Instructions->Count() + 1;
}

int32_t TPXDataHandler::IncompleteLength() const {
    const TPXFieldInstruction* f = FieldAt(EntryPos);
    return f ? f->Column - 1 : 0;
}

TEHList& TPXDataHandler::MessageList() {
    if (Dictionary->Messages) return *Dictionary->Messages;
    if (!OwnMessages) OwnMessages = std::make_unique<TPXMessageList>();
    return *OwnMessages;
}

void TPXDataHandler::LoadRecord() {
    const size_t got = File.ReadAt(int64_t(Context->Rec - 1) * L, CurRecord.data(), size_t(L));
    std::fill(CurRecord.begin() + long(got), CurRecord.end(), '*');
    Dirty = false;
}

void TPXDataHandler::LoadFromBytes(const char* data, size_t size) {
    std::memcpy(CurRecord.data(), data, size);
    std::fill(CurRecord.begin() + long(size), CurRecord.end(), '*');
    Dirty = false;
}

void TPXDataHandler::SaveRecord() {
    if (!Dirty) return;
    const int64_t offset = int64_t(Context->Rec - 1) * L;
    try {
        if (InIncomplete() && EntryPos < Instructions->Count()) {
            const size_t n = size_t(FieldAt(EntryPos)->Column - 1);
            if (n > 0) File.WriteAt(offset, CurRecord.data(), n);
        } else {
            CurRecord[size_t(L - 2)] = '\r';
            CurRecord[size_t(L - 1)] = '\n';
            File.WriteAt(offset, CurRecord.data(), size_t(L));
        }
    } catch (const EGeneric& e) {
        WriteFailure = true;
        throw EGeneric(FormatText(LangText("<EN>The data file \"%s\" could not be written: "
                                           "%s<PL>Nie udało się zapisać pliku danych \"%s\": %s"),
                                  File.Path().c_str(), e.Text().c_str()));
    }
    Dirty = false;
}

void TPXDataHandler::FieldTextInto(int32_t i, std::string& out) const {
    out.clear();
    const TPXFieldInstruction* f = FieldAt(i);
    if (!f || (InIncomplete() && i > EntryPos)) return;
    const char* p = CurRecord.data() + (f->Column - 1);
    const size_t w = size_t(f->Width);
    bool allStars = true;
    bool escape = false;
    for (size_t k = 0; k < w; ++k) {
        if (p[k] != '*') allStars = false;
        if (p[k] == '\\') escape = true;
    }
    if (allStars) return;
    out.assign(p, w);
    if (escape) out = ReplaceAll(std::move(out), "\\n", "\r\n");
}

std::string_view TPXDataHandler::FieldView(int32_t i, std::string& scratch) const {
    const TPXFieldInstruction* f = FieldAt(i);
    if (!f || (InIncomplete() && i > EntryPos)) return std::string_view();
    const std::string_view raw(CurRecord.data() + (f->Column - 1), size_t(f->Width));
    if (raw.find_first_not_of('*') == std::string_view::npos) return std::string_view();
    if (raw.find('\\') == std::string_view::npos) return raw;
    FieldTextInto(i, scratch);
    return scratch;
}

std::string TPXDataHandler::FieldText(int32_t i) const {
    std::string text;
    FieldTextInto(i, text);
    return text;
}

std::string TPXDataHandler::PrevFieldText(int32_t i) const {
    const TPXFieldInstruction* f = FieldAt(i);
    if (!f) return std::string();
    return ReplaceAll(PrevRecord.substr(size_t(f->Column - 1), size_t(f->Width)), "\\n", "\r\n");
}

void TPXDataHandler::StoreValue(std::string_view text) {
    const TPXFieldInstruction* f = FieldAt(Context->Cur);
    if (!f) return;
    std::string value = ReplaceAll(std::string(text), "\r\n", "\\n");
    // A lone line-break character would break the record structure of the file.
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    value.resize(size_t(f->Width), ' ');
    std::memcpy(CurRecord.data() + (f->Column - 1), value.data(), value.size());
    Context->LastWritten = Context->Cur;
    Dirty = true;
}

std::string TPXDataHandler::RecordIdText() const {
    const TPXFieldInstruction* id = Instructions->FindRecId();
    int32_t v;
    if (!id ||
        !DataStrToInt(std::string_view(CurRecord).substr(size_t(id->Column - 1), size_t(id->Width)),
                      v))
        return "-----------";
    return Format("%.11d", v);
}

void TPXDataHandler::GoToRecord(int32_t n) {
    if (n < 1 || n > FullCount + 1 || (n == FullCount + 1 && !CanAppend()))
        throw EPXData(LangText("<EN>Invalid record index.<PL>Nieprawidłowy indeks rekordu."));
    if (n == FullCount + 1 && EntryPos < Context->Cur) {
        GoToEnd();
    } else {
        SaveRecord();
        Context->Rec = n;
        LoadRecord();
    }
    Refresh();
}

void TPXDataHandler::FindByIdentifier(std::string_view text) {
    const TPXFieldInstruction* id = Instructions->FindRecId();
    if (!id)
        throw EPXData(LangText(
            "<EN>No record identifier in the script.<PL>Brak identyfikatora rekordu w skrypcie."));
    int32_t idIndex = -1;
    for (int32_t i = 0; i < Instructions->Count(); ++i)
        if (FieldAt(i) == id) idIndex = i;
    std::string wanted(text);
    if (int32_t(wanted.size()) < id->Width)
        wanted.insert(0, size_t(id->Width) - wanted.size(), '0');
    const int32_t start = Context->Rec;
    SaveRecord();
    int32_t found = 0;
    std::string value;
    TRecordScanner scanner(File, L, 1, FullCount);
    const char* data;
    size_t size;
    int32_t record;
    while (scanner.Next(data, size, record)) {
        Context->Rec = record;
        LoadFromBytes(data, size);
        FieldTextInto(idIndex, value);
        if (value == wanted) {
            found = record;
            break;
        }
    }
    if (found == 0 && CanAppend()) {
        Context->Rec = FullCount + 1;
        LoadRecord();
        FieldTextInto(idIndex, value);
        if (value == wanted) found = FullCount + 1;
    }
    if (found == 0) {
        Context->Rec = start;
        LoadRecord();
        GoToRecord(start);
        throw EPXData(
            LangText("<EN>Given record identifier not found."
                     "<PL>Nie znaleziono podanego identyfikatora rekordu."));
    }
    GoToRecord(found);
}

void TPXDataHandler::Refresh() {
    if (Owner) Owner->OwnerRefresh();
}

void TPXDataHandler::RefreshNow() {
    if (Owner) Owner->OwnerRefreshNow();
}

void TPXDataHandler::Sound(int kind) {
    if (Owner) Owner->OwnerSound(kind);
}

bool TPXDataHandler::UpdateMode() const {
    return Owner != nullptr && Owner->OwnerUpdateMode();
}

int32_t TPXDataHandler::PageStartOf(int32_t i) const {
    for (int32_t k = std::min(i, Instructions->Count()) - 1; k >= 0; --k)
        if (Instructions->Get(k)->Kind == ikPage) return k + 1;
    return 0;
}

int32_t TPXDataHandler::PageNumberOf(int32_t pageStart) const {
    int32_t page = 1;
    for (int32_t k = 0; k < pageStart && k < Instructions->Count(); ++k)
        if (Instructions->Get(k)->Kind == ikPage) ++page;
    return page;
}

bool TPXDataHandler::HasPartialRecord() const {
    return File.Size() != int64_t(L) * FullCount;
}

void TPXDataHandler::CutToFullRecords() {
    File.Truncate(int64_t(L) * FullCount);
    Dirty = false;
    if (InIncomplete()) LoadRecord();
}

}  // namespace tallyra::core
