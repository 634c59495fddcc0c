// SPDX-License-Identifier: GPL-3.0-or-later
#include "ioerror.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include "errors.h"
#include "format.h"
#include "langtext.h"

namespace tallyra::core {

namespace {

const char* const IOErrorTexts[] = {
    "2: <EN>File not found.<PL>Plik nie został znaleziony.",
    "3: <EN>Path not found.<PL>Ścieżka nie została znaleziona.",
    "4: <EN>Too many open files.<PL>Zbyt wiele otwartych plików.",
    "5: <EN>Access denied.<PL>Odmowa dostępu.",
    "6: <EN>Invalid handle.<PL>Nieprawidłowy uchwyt pliku.",
    "8: <EN>Not enough memory.<PL>Za mało pamięci.",
    "10: <EN>Invalid environment.<PL>Nieprawidłowe środowisko.",
    "11: <EN>Invalid format.<PL>Nieprawidłowy format.",
    "12: <EN>Invalid access code.<PL>Nieprawidłowy kod dostępu.",
    "15: <EN>Invalid drive number.<PL>Nieprawidłowy numer napędu.",
    "16: <EN>Cannot remove current directory.<PL>Nie można usunąć bieżącego katalogu.",
    "17: <EN>Cannot rename across drives.<PL>Nie można przenieść pliku na inny napęd.",
    "18: <EN>No more files.<PL>Nie ma więcej plików.",
    "21: <EN>No disk in drive.<PL>Brak dysku w napędzie.",
    // One entry, split over two lines (the parentheses tell the compiler so).
    ("32: <EN>File access denied - possibly in use by another application."
     "<PL>Odmowa dostępu do pliku - prawdopodobnie używa go inny program."),
    "100: <EN>Disk read error.<PL>Błąd odczytu z dysku.",
    "101: <EN>Disk write error.<PL>Błąd zapisu na dysk.",
    "102: <EN>File not assigned.<PL>Plik nie został przypisany.",
    "103: <EN>File not open.<PL>Plik nie jest otwarty.",
    "104: <EN>File not open for input.<PL>Plik nie jest otwarty do odczytu.",
    "105: <EN>File not open for output.<PL>Plik nie jest otwarty do zapisu.",
    "106: <EN>Invalid numeric format.<PL>Nieprawidłowy format liczby.",
    "112: <EN>Probably disk out of space.<PL>Prawdopodobnie brak miejsca na dysku.",
    "150: <EN>Disk is write-protected.<PL>Dysk jest zabezpieczony przed zapisem.",
    "151: <EN>Bad drive request struct length.<PL>Błędna długość struktury żądania napędu.",
    "152: <EN>Drive not ready.<PL>Napęd nie jest gotowy.",
    "154: <EN>CRC error in data.<PL>Błąd sumy kontrolnej CRC danych.",
    "156: <EN>Disk seek error.<PL>Błąd pozycjonowania dysku.",
    "157: <EN>Unknown media type.<PL>Nieznany typ nośnika.",
    "158: <EN>Sector not found.<PL>Nie znaleziono sektora.",
    "161: <EN>Invalid path name.<PL>Nieprawidłowa nazwa ścieżki.",
};

}  // namespace

std::string IOErrorText(int code) {
    if (code == 0) return std::string();
    const std::string prefix = std::to_string(code) + ": ";
    for (const char* entry : IOErrorTexts) {
        const std::string_view text = entry;
        if (text.substr(0, prefix.size()) == prefix) return LangText(text.substr(prefix.size()));
    }
    return FormatText(LangText("<EN>Unknown I/O error<PL>Nieznany błąd we/wy<*> %d."), code);
}

int IOCodeFromErrno(int err) {
    switch (err) {
        case ENOENT:
            return 2;
        case ENOTDIR:
            return 3;
        case EMFILE:
        case ENFILE:
            return 4;
        case EACCES:
        case EPERM:
        case EISDIR:
            return 5;
        case EBADF:
            return 6;
        case ENOMEM:
            return 8;
        case EXDEV:
            return 17;
        case EBUSY:
        case ETXTBSY:
        case EWOULDBLOCK:
            return 32;
        case EIO:
            return 100;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return 112;
        case EROFS:
            return 150;
        case ENAMETOOLONG:
        case ELOOP:
            return 161;
        default:
            return 0;
    }
}

std::string SystemErrorText(int err) {
    // A file size limit is not a full disk, though both end a write.
    if (err == EFBIG)
        return LangText(
            "<EN>The file has reached the largest size allowed.<PL>Plik osiągnął największy "
            "dozwolony rozmiar.");
    // A folder where a file is wanted is no matter of permissions.
    if (err == EISDIR)
        return LangText("<EN>This is a folder, not a file.<PL>To jest folder, a nie plik.");
    const int code = IOCodeFromErrno(err);
    if (code != 0) return IOErrorText(code);
    return FormatText(LangText("<EN>Unknown I/O error<PL>Nieznany błąd we/wy<*> %d."), err);
}

void RaiseIOError(int code) {
    throw EGeneric(IOErrorText(code));
}

void RaiseSystemError(int err) {
    throw EGeneric(SystemErrorText(err));
}

std::string FileErrorText(const std::string& path, const std::string& text) {
    return path + ": " + text;
}

void RaiseFileError(const std::string& path, int err) {
    throw EGeneric(FileErrorText(path, SystemErrorText(err)));
}

}  // namespace tallyra::core
