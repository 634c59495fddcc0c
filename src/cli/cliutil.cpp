#include "cliutil.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

#include "script/tscriptoptions.h"
#include "shell/ioerror.h"
#include "shell/langtext.h"

namespace tallyra::cli {

std::optional<std::string> ReadFileBytes(const std::string& path, std::string& error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        error = core::SystemErrorText(EISDIR);
        return std::nullopt;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = core::SystemErrorText(errno);
        return std::nullopt;
    }
    std::string bytes;
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    const int err = errno;
    std::fclose(file);
    if (failed) {
        error = core::SystemErrorText(err != 0 ? err : EIO);
        return std::nullopt;
    }
    return bytes;
}

std::optional<long long> ParseInteger(const std::string& text) {
    if (text.empty()) return std::nullopt;
    size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i >= text.size() || text.size() > 18) return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return text[0] == '-' ? -value : value;
}

std::string ConsoleText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

bool SetLanguageOption(const std::string& value) {
    if (value == "en" || value == "EN") {
        core::SetCurrentLanguage(core::LangEnglish);
        return true;
    }
    if (value == "pl" || value == "PL") {
        core::SetCurrentLanguage(core::LangPolish);
        return true;
    }
    return false;
}

bool TakeLanguageOption(const std::vector<std::string>& args, size_t& i) {
    return i + 1 < args.size() && SetLanguageOption(args[++i]);
}

bool TakeVarSizeOption(const std::vector<std::string>& args, size_t& i) {
    const auto n = i + 1 < args.size() ? ParseInteger(args[++i]) : std::nullopt;
    if (!n || *n < 1 || *n > 1000000) return false;
    core::SetSPSSVarSize(static_cast<int>(*n));
    return true;
}

}  // namespace tallyra::cli
