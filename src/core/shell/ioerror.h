// SPDX-License-Identifier: GPL-3.0-or-later
// User texts for operating-system and run-time I/O error codes, and the
// mapping of this system's error numbers (errno) onto those codes.
#pragma once

#include <string>

namespace tallyra::core {

// The text for an I/O error code in the current language; empty for 0.
// Unlisted codes give the "Unknown I/O error N." text.
std::string IOErrorText(int code);

// The I/O error code for a POSIX errno value, or 0 when it has none.
int IOCodeFromErrno(int err);

// The text for a POSIX errno value: the mapped code's text, or the unknown
// error text carrying the system's own number.
std::string SystemErrorText(int err);

// Raises EGeneric with IOErrorText(code).
[[noreturn]] void RaiseIOError(int code);

// Raises EGeneric with SystemErrorText(err).
[[noreturn]] void RaiseSystemError(int err);

// A failure text that names its file: "PATH: TEXT".
std::string FileErrorText(const std::string& path, const std::string& text);

// Raises EGeneric with FileErrorText(path, SystemErrorText(err)).
[[noreturn]] void RaiseFileError(const std::string& path, int err);

}  // namespace tallyra::core
