// SPDX-License-Identifier: GPL-3.0-or-later
#include <cmath>
#include <cstdio>

#include "cliargs.h"
#include "cliutil.h"
#include "jsonwriter.h"
#include "script/tscriptoptions.h"
#include "shell/cp1250.h"
#include "shell/errors.h"
#include "shell/format.h"
#include "shell/langtext.h"
#include "spss/tvarcoll.h"
#include "spsscommands.h"

namespace tallyra::cli {

using namespace tallyra::core;

const char* const VarsHelp =
    "Usage: tallyra vars [OPTIONS] FILE\n"
    "\n"
    "Builds the variable set of FILE, whose kind is told from its name and first\n"
    "lines (script, SPSS syntax, SPSS listing .lst/.spo, SPSS system file, .cdb\n"
    "column list), and prints every variable: name, type, start, width,\n"
    "decimals, format, label, value labels and missing values.\n"
    "\n"
    "Options:\n"
    "  --json          print one JSON array of variables\n"
    "  --var-size N    maximum length of variable names derived from labels (8)\n"
    "  --lang en|pl    language of the messages (default from LANG/LC_ALL)\n"
    "  -h, --help      show this help\n"
    "\n"
    "Texts of the file are read as code page 1250 and printed as UTF-8; control\n"
    "characters in them are shown escaped (\\x1b). Value labels and missing\n"
    "values of string variables are not read, and the variables are named.\n"
    "Exit status: 0 read, 1 failed (the reason is printed), 2 usage error.\n";

namespace {

std::string ValueText(double value) {
    if (value == SPSSLowest) return "LOWEST";
    if (value == SPSSHighest) return "HIGHEST";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

void WriteValue(TJsonWriter& json, double value) {
    if (value == SPSSLowest || value == SPSSHighest)
        json.String(ValueText(value));
    else
        json.Double(value);
}

void PrintJson(TVarColl& vars, std::ostream& out) {
    TJsonWriter json;
    json.BeginArray();
    for (const auto& v : vars.Items) {
        json.BeginObject();
        json.Key("name");
        json.String(Cp1250ToUtf8(v->Name));
        json.Key("type");
        json.String(v->IsString() ? "string" : "numeric");
        json.Key("start");
        json.Number(v->Start);
        json.Key("width");
        json.Number(v->Width);
        json.Key("decimals");
        json.Number(v->Decimals);
        json.Key("format");
        json.String(Cp1250ToUtf8(v->Format));
        json.Key("label");
        json.String(Cp1250ToUtf8(v->Label));
        json.Key("valueLabels");
        json.BeginArray();
        for (const TVal& label : v->ValueLabels.Items) {
            json.BeginObject();
            json.Key("value");
            WriteValue(json, label.Value);
            json.Key("label");
            json.String(Cp1250ToUtf8(label.Text));
            json.EndObject();
        }
        json.EndArray();
        json.Key("missing");
        json.BeginObject();
        json.Key("range");
        json.Bool(v->MissingRange);
        json.Key("values");
        json.BeginArray();
        for (int i = 0; i < v->MissingCount && i < 3; ++i)
            WriteValue(json, v->MissingValues[static_cast<size_t>(i)]);
        json.EndArray();
        json.EndObject();
        json.EndObject();
    }
    json.EndArray();
    out << json.Text() << "\n";
}

// A text of the file as the terminal shows it.
std::string Shown(const std::string& cp1250) {
    return TerminalText(Cp1250ToUtf8(cp1250));
}

void PrintText(TVarColl& vars, std::ostream& out) {
    for (const auto& v : vars.Items) {
        out << Shown(v->Name) << "  " << (v->IsString() ? "string" : "numeric") << "  " << v->Start
            << "-" << int64_t{v->Start} + v->Width - 1 << "  width " << v->Width << "  decimals "
            << v->Decimals << "  " << Shown(v->Format);
        if (!v->Label.empty()) out << "  '" << Shown(v->Label) << "'";
        out << "\n";
        for (const TVal& label : v->ValueLabels.Items)
            out << "    " << ValueText(label.Value) << " = '" << Shown(label.Text) << "'\n";
        if (v->MissingCount > 0) {
            std::string text;
            if (v->MissingRange) {
                text = ValueText(v->MissingValues[0]) + " thru " + ValueText(v->MissingValues[1]);
                if (v->MissingCount == 3) text += ", " + ValueText(v->MissingValues[2]);
            } else {
                for (int i = 0; i < v->MissingCount && i < 3; ++i)
                    text +=
                        (i > 0 ? ", " : "") + ValueText(v->MissingValues[static_cast<size_t>(i)]);
            }
            out << "    missing: " << text << "\n";
        }
    }
}

}  // namespace

int RunVars(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool json = false;
    std::vector<std::string> files;
    const TCliCommand command{"vars", VarsHelp};
    const auto usage = [&](const std::string& message) {
        return UsageError(command, message, err);
    };
    const std::vector<TCliOption> options = {
        FlagOption("--json", json),
        VarSizeOption(),
        LanguageOption(),
    };
    if (const auto exit = ReadCommandLine(command, options, args, files, out, err)) return *exit;
    if (files.size() != 1) return usage("give one file");
    try {
        TVarColl vars(files[0], SPSSVarSize());
        if (json)
            PrintJson(vars, out);
        else
            PrintText(vars, out);
        // What the model cannot hold is said, not dropped silently (beside
        // the JSON, which stays one array).
        if (!vars.StringValuesLeftOut.empty()) {
            std::string names;
            for (const std::string& name : vars.StringValuesLeftOut)
                names += (names.empty() ? "" : ", ") + Shown(name);
            (json ? err : out) << ConsoleText(FormatText(
                                      LangText("<EN>Value labels and missing values of string "
                                               "variables are not read (only numbers are): %s."
                                               "<PL>Etykiety wartości i braki danych zmiennych "
                                               "tekstowych nie są czytane (tylko liczbowe): %s."),
                                      names.c_str()))
                               << "\n";
        }
    } catch (const ETallyraError& e) {
        err << "tallyra vars: " << files[0] << ": " << ConsoleText(e.Text()) << "\n";
        return ExitFound;
    }
    return ExitOk;
}

}  // namespace tallyra::cli
