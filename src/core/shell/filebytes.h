// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reads and writes of document bytes, the ".bak" backup rule and
// file time stamps, for the document windows. Failures raise EGeneric with
// the I/O error text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tallyra::core {

// Largest file read whole into memory: documents the windows load, and the
// scripts, key scripts and SPSS files the command line reads (keeps a stray
// huge file from exhausting memory).
constexpr uint64_t MaxDocumentBytes = 64ull * 1024 * 1024;

// The file's bytes. Raises EGeneric when it cannot be read, is not a regular
// file (a folder, device or pipe is refused without reading from it) or is
// larger than maxBytes ("The file is too large (more than N bytes).").
std::string ReadFileBytes(const std::string& path, uint64_t maxBytes = MaxDocumentBytes);

// Replaces the file's content with `bytes` (creating it), flushed to disk.
// Raises EGeneric on failure.
void WriteFileBytes(const std::string& path, const std::string& bytes);

// The name with its extension replaced by ".bak" ("a/b.slo" -> "a/b.bak";
// a name without extension gets ".bak" appended).
std::string BackupName(const std::string& path);

// The backup rule: when the file exists, delete an existing backup and
// rename the file to the backup name (a missing file leaves the old backup
// alone). Raises EGeneric when either step fails.
void MakeBackup(const std::string& path);

// The file's modification time in nanoseconds; false when it cannot be read.
bool FileModTime(const std::string& path, int64_t& out);

bool FileExists(const std::string& path);

// True when anything (a file, folder, link, device) is at `path`.
bool PathExists(const std::string& path);

// The absolute path of `name` with links and "." / ".." resolved as far as
// the path exists (the rest lexically): the same for every name of one file
// reached through links.
std::string FullPath(const std::string& name);

// True when both names lead to one file: the same full path after resolving
// links, or the same device and inode.
bool SameFile(const std::string& a, const std::string& b);

// Makes every line ending (CR LF, LF or CR) a CR LF, the line end of
// scripts and documents, adding none at the end.
std::string NormalizeLineEnds(std::string_view bytes);

}  // namespace tallyra::core
