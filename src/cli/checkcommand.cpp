// SPDX-License-Identifier: GPL-3.0-or-later
#include "checkcommand.h"

#include <cstdio>
#include <memory>

#include "cliargs.h"
#include "cliutil.h"
#include "jsonwriter.h"
#include "script/keywords.h"
#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "shell/cp1250.h"
#include "shell/errors.h"
#include "shell/langtext.h"

namespace tallyra::cli {

using namespace tallyra::core;

const char* const CheckHelp =
    "Usage: tallyra check [OPTIONS] SCRIPT...\n"
    "\n"
    "Reads each script as the script editor's Check does (line ends made CR LF)\n"
    "and prints its errors, warnings and hints in text order.\n"
    "\n"
    "Options:\n"
    "  --fixed               the fixed options used for script files: all extensions\n"
    "                        on, no hints or warnings, stop at the first error\n"
    "  --set NAME=0|1        set one switch by its name (ExtLongText, ExtUnderscore,\n"
    "                        ExtWideNumbers, ExtHeight, HintItem1, HintRepeat1,\n"
    "                        HintNoDollar, HintInherited, WarnOverlap, WarnBadRange,\n"
    "                        WarnRangeWider, WarnWidthWider, WarnAutoOutside,\n"
    "                        WarnFilterOutside, WarnFilterMatches, WarnUnusedLabel,\n"
    "                        WarnNoLeft, WarnBadVarName, WarnVarRepeated);\n"
    "                        repeatable, applied after --fixed\n"
    "  --error-mode 0|1|2    stop at the first error, at --error-count errors, or\n"
    "                        report all errors (default 1)\n"
    "  --error-count N       the error count of mode 1 (default 100)\n"
    "  --var-size N          maximum length of variable names (default 8)\n"
    "  --lang en|pl          language of the messages (default from LANG/LC_ALL)\n"
    "  --format list         print the script window's message list lines\n"
    "  --json                print one JSON object per file with the messages and\n"
    "                        the read script\n"
    "  -h, --help            show this help\n"
    "\n"
    "Default output: FILE:LINE:COLUMN: error|warning|hint 0xCODE: TEXT, then the\n"
    "summary line. Exit status: 0 when no file has an error, 1 when any has,\n"
    "2 on usage or I/O errors.\n";

namespace {

const char* KindName(uint8_t kind) {
    return kind == mkError ? "error" : kind == mkWarning ? "warning" : "hint";
}

std::string Utf8(const std::string& bytes) {
    return Cp1250ToUtf8(bytes);
}

std::string TargetText(const TIRange& range) {
    if (range.ToLabel.empty() || range.ToLabel == range.FromLabel) return range.FromLabel;
    return range.FromLabel + ":" + range.ToLabel;
}

void WriteInstruction(TJsonWriter& json, const TPXGenericInstruction& instruction) {
    json.BeginObject();
    if (instruction.Kind == ikPage) {
        json.Key("kind");
        json.String("page");
        json.EndObject();
        return;
    }
    if (instruction.Kind == ikComment) {
        const auto& comment = static_cast<const TPXCommentInstruction&>(instruction);
        json.Key("kind");
        json.String("comment");
        json.Key("text");
        json.String(Utf8(comment.Text));
        json.Key("label");
        json.String(Utf8(comment.Label));
        json.EndObject();
        return;
    }
    const auto& field = static_cast<const TPXFieldInstruction&>(instruction);
    json.Key("kind");
    json.String("field");
    json.Key("type");
    json.String(field.IsText() ? "text" : "numeric");
    const std::pair<const char*, const std::string*> strings[] = {
        {"label", &field.Label}, {"left", &field.Left},       {"right", &field.Right},
        {"auto", &field.Auto},   {"varname", &field.VarName}, {"varlab", &field.VarLab},
        {"group", &field.Group},
    };
    for (const auto& [key, value] : strings) {
        json.Key(key);
        json.String(Utf8(*value));
    }
    json.Key("column");
    json.Number(field.Column);
    json.Key("width");
    json.Number(field.Width);
    json.Key("height");
    json.Number(field.Height);
    json.Key("flags");
    json.BeginArray();
    const std::pair<uint8_t, const char*> flags[] = {{ffText, "text"},
                                                     {ffRecId, "recid"},
                                                     {ffConst, "const"},
                                                     {ffBeep, "beep"},
                                                     {ffUpdate, "update"}};
    for (const auto& [bit, name] : flags)
        if (field.Flags & bit) json.String(name);
    json.EndArray();
    json.Key("autoValue");
    json.String(Utf8(field.AutoValue()));
    if (!field.IsText()) {
        const auto& numeric = static_cast<const TPXNumericInstruction&>(field);
        json.Key("range");
        json.String(numeric.Range.ToText());
        json.Key("filters");
        json.BeginArray();
        if (numeric.Filters) {
            for (const TFilterItem& filter : *numeric.Filters) {
                json.BeginObject();
                json.Key("kind");
                json.String(filter.Kind == fkWhen ? "when" : "signal");
                json.Key("values");
                json.String(filter.Values.ToText());
                json.Key("targets");
                json.BeginArray();
                for (const TIRange& target : filter.Targets.Items)
                    json.String(TargetText(target));
                json.EndArray();
                json.EndObject();
            }
        }
        json.EndArray();
        json.Key("vallabs");
        json.BeginArray();
        for (const TPXValLab& label : numeric.ValLabs) {
            json.BeginArray();
            json.Number(label.Value);
            json.String(Utf8(label.Text));
            json.EndArray();
        }
        json.EndArray();
    }
    json.EndObject();
}

struct TCheckSettings {
    TScriptOptions Options = DefaultScriptOptions();
    bool Json = false;
    bool ListFormat = false;
};

// Checks one file; returns 0, 1 (errors) or 2 (I/O error).
int CheckFile(const std::string& path, const TCheckSettings& settings, std::ostream& out,
              std::ostream& err) {
    std::string error;
    const auto bytes = ReadFileBytes(path, error);
    if (!bytes) {
        err << "tallyra: " << path << ": " << error << "\n";
        return ExitUsage;
    }
    const std::string text = NormalizeLineEnds(*bytes);
    TPXMessageList messages;
    messages.Limit = LimitForErrorMode(settings.Options.ErrorMode, settings.Options.ErrorCount);
    std::unique_ptr<TPXDictionary> script;
    try {
        script = std::make_unique<TPXDictionary>(text, settings.Options, messages);
    } catch (const EGeneric& e) {
        err << "tallyra: " << path << ": " << e.what() << "\n";
        return ExitUsage;
    }
    messages.Sort();
    const TLineIndex lines(text);
    const bool hasErrors = messages.CountKinds({mkError}) > 0;

    if (settings.Json) {
        TJsonWriter json;
        json.BeginObject();
        json.Key("file");
        json.String(path);
        json.Key("messages");
        json.BeginArray();
        for (int32_t i = 0; i < messages.Count(); ++i) {
            const TEHMessage* m = messages.Get(i);
            const TCaret caret = lines.Caret(m->Position - 1);
            json.BeginObject();
            json.Key("kind");
            json.String(KindName(m->Kind));
            json.Key("code");
            json.Number(m->Code);
            json.Key("position");
            json.Number(m->Position);
            json.Key("line");
            json.Number(caret.Line + 1);
            json.Key("column");
            json.Number(caret.Column + 1);
            json.Key("text");
            json.String(m->GetText());
            json.EndObject();
        }
        json.EndArray();
        json.Key("pageCount");
        json.Number(script->PageCount);
        json.Key("recordLength");
        json.Number(script->RecordLength);
        json.Key("lineLength");
        json.Number(script->LineLength);
        json.Key("recIdIndex");
        json.Number(script->RecIdIndex);
        json.Key("instructions");
        json.BeginArray();
        for (const auto& instruction : script->Instructions.Items)
            WriteInstruction(json, *instruction);
        json.EndArray();
        json.EndObject();
        out << json.Text() << "\n";
    } else if (settings.ListFormat) {
        out << CheckSummary(messages) << "\n";
        for (int32_t i = 0; i < messages.Count(); ++i)
            out << "  " << messages.FormatItem(i) << "\n";
    } else {
        for (int32_t i = 0; i < messages.Count(); ++i) {
            const TEHMessage* m = messages.Get(i);
            const TCaret caret = lines.Caret(m->Position - 1);
            char code[16];
            std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(m->Code));
            out << path << ":" << caret.Line + 1 << ":" << caret.Column + 1 << ": "
                << KindName(m->Kind) << " " << code << ": " << m->GetText() << "\n";
        }
        out << CheckSummary(messages) << "\n";
    }
    return hasErrors ? ExitFound : ExitOk;
}

}  // namespace

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const TCliCommand command{"check", CheckHelp};
    TCheckSettings settings;
    std::vector<std::string> files;
    std::vector<std::pair<std::string, uint8_t>> sets;
    bool fixed = false;
    long long errorMode = -1;
    long long errorCount = -1;
    const auto takeSet = [&sets](const std::string& v) -> std::string {
        const size_t eq = v.find('=');
        const std::string flag = eq == std::string::npos ? std::string() : v.substr(eq + 1);
        if (eq == std::string::npos || (flag != "0" && flag != "1"))
            return "--set needs NAME=0|1, not '" + v + "'";
        if (TScriptOptions().SwitchByName(v.substr(0, eq)) == nullptr)
            return "unknown switch '" + v.substr(0, eq) + "'";
        sets.emplace_back(v.substr(0, eq), flag == "1" ? 1 : 0);
        return {};
    };
    const auto takeFormat = [&settings](const std::string& v) -> std::string {
        if (v != "list") return "--format takes list";
        settings.ListFormat = true;
        return {};
    };
    const std::vector<TCliOption> options = {
        FlagOption("--fixed", fixed),
        FlagOption("--json", settings.Json),
        ValueOption("--set", takeSet, "--set needs NAME=0|1"),
        NumberOption("--error-mode", 0, 2, errorMode, "--error-mode takes 0, 1 or 2"),
        NumberOption("--error-count", 1, 65535, errorCount,
                     "--error-count takes a number from 1 to 65535"),
        VarSizeOption(),
        LanguageOption(),
        ValueOption("--format", takeFormat, "--format takes list"),
    };
    if (const auto exit = ReadCommandLine(command, options, args, files, out, err)) return *exit;
    if (files.empty()) return UsageError(command, "no script given", err);
    if (fixed) settings.Options = FixedReadingOptions();
    for (const auto& [name, flag] : sets)
        *settings.Options.SwitchByName(name) = flag;
    if (errorMode >= 0) settings.Options.ErrorMode = static_cast<uint8_t>(errorMode);
    if (errorCount >= 0) settings.Options.ErrorCount = static_cast<uint16_t>(errorCount);

    int status = ExitOk;
    for (const std::string& file : files) {
        const int result = CheckFile(file, settings, out, err);
        if (result > status) status = result;
    }
    return status;
}

}  // namespace tallyra::cli
