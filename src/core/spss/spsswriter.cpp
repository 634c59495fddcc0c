// SPDX-License-Identifier: GPL-3.0-or-later
// The SPSS syntax writers of TVarColl.
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "../shell/errors.h"
#include "../shell/fdio.h"
#include "../shell/ioerror.h"
#include "tvarcoll.h"

namespace tallyra::core {

namespace {

// Text inside apostrophes: every apostrophe doubled.
std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

// Writes the text to the target, creating (truncating) it or appending to an
// existing file.
void WriteTarget(const std::string& target, TWriteMode mode, std::string_view text) {
    const int flags =
        mode == TWriteMode::Create ? (O_WRONLY | O_CREAT | O_TRUNC) : (O_WRONLY | O_APPEND);
    // A folder, a device or a pipe is never written to as syntax.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
        throw EGeneric(FileErrorText(target, NotRegularFileText(existing.st_mode)));
    TFd fd(::open(target.c_str(), flags | O_CLOEXEC, 0666));
    if (fd.Get() < 0) RaiseCreateError(target, errno);
    try {
        WriteFull(fd.Get(), text.data(), text.size());
    } catch (const EGeneric& e) {
        throw EGeneric(FileErrorText(target, e.Text()));
    }
    if (::close(fd.Release()) != 0) RaiseFileError(target, errno);
}

}  // namespace

std::string TVarColl::DataListText(const std::string& dataPath) const {
    std::string out;
    if (Items.empty()) return out;
    const TVar& last = *Items.back();
    const int64_t end = int64_t{last.Start} + last.Width;
    if (end <= 1000) {
        out += "DATA LIST FILE=" + Quoted(dataPath) + " /";
    } else {
        std::string handle = std::filesystem::path(dataPath).filename().string();
        handle = handle.substr(0, handle.find('.'));
        out += "FILE HANDLE " + handle + " /name=" + Quoted(dataPath) +
               " /lrecl=" + std::to_string(end - 1) + ".\r\n";
        out += "DATA LIST FILE=" + handle + " /";
    }
    for (const auto& v : Items) {
        out += v->Name + " " + std::to_string(v->Start);
        if (v->Width != 1) out += "-" + std::to_string(int64_t{v->Start} + v->Width - 1);
        if (v->IsString())
            out += " (A)";
        else if (v->Decimals > 0)
            out += " (" + std::to_string(v->Decimals) + ")";
        out += "\r\n";
    }
    out += ".\r\n";
    return out;
}

std::string TVarColl::VariableLabelsText() const {
    std::string out;
    for (const auto& v : Items) {
        if (v->Label.empty()) continue;
        if (out.empty()) out += "VARIABLE LABELS\r\n";
        out += " " + v->Name + " " + Quoted(v->Label) + "\r\n";
    }
    if (!out.empty()) out += ".\r\n";
    return out;
}

std::string TVarColl::ValueLabelsText() {
    std::string out;
    for (const auto& v : Items) {
        if (v->ValueLabels.Count() == 0) continue;
        if (out.empty()) out += "VALUE LABELS\r\n";
        out += " /" + v->Name + "\r\n";
        for (const TVal& label : v->ValueLabels.Items)
            out += "  " + v->FormatValue(label.Value) + " " + Quoted(label.Text) + "\r\n";
    }
    if (!out.empty()) out += ".\r\n";
    return out;
}

std::string TVarColl::MissingValuesText() {
    std::string out;
    for (const auto& v : Items) {
        if (v->MissingCount == 0) continue;
        // The first block goes without a leading "/": PSPP (unlike VALUE
        // LABELS) refuses a slash before the first variable list here, and
        // SPSS reads both forms.
        if (out.empty())
            out += "MISSING VALUES\r\n " + v->Name;
        else
            out += " /" + v->Name;
        out += " (" + v->MissingText() + ")\r\n";
    }
    if (!out.empty()) out += ".\r\n";
    return out;
}

void TVarColl::WriteDataList(const std::string& target, const std::string& dataExtension,
                             TWriteMode mode) {
    std::filesystem::path data = std::filesystem::absolute(target);
    data.replace_extension(dataExtension);
    WriteTarget(target, mode, DataListText(data.lexically_normal().string()));
}

void TVarColl::WriteVariableLabels(const std::string& target, TWriteMode mode) {
    const std::string text = VariableLabelsText();
    if (!text.empty()) WriteTarget(target, mode, text);
}

void TVarColl::WriteValueLabels(const std::string& target, TWriteMode mode) {
    const std::string text = ValueLabelsText();
    if (!text.empty()) WriteTarget(target, mode, text);
}

void TVarColl::WriteMissingValues(const std::string& target, TWriteMode mode) {
    const std::string text = MissingValuesText();
    if (!text.empty()) WriteTarget(target, mode, text);
}

}  // namespace tallyra::core
