// SPDX-License-Identifier: GPL-3.0-or-later
#include "spssexport.h"

#include <filesystem>

#include "../script/tpxdictionary.h"
#include "../script/tpxmessage.h"
#include "../shell/errors.h"
#include "../shell/fdio.h"
#include "../shell/filebytes.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"

namespace tallyra::core {

int64_t NinesValue(int width, bool endsWithEight) {
    if (width < 1) width = 1;
    if (width > 18) width = 18;
    int64_t nines = 0;
    for (int i = 0; i < width; ++i)
        nines = nines * 10 + 9;
    return endsWithEight ? nines - 1 : nines;
}

void ApplyNinesMissing(TVarColl& vars, bool missing8, bool missing9) {
    const int n = (missing8 ? 1 : 0) + (missing9 ? 1 : 0);
    if (n == 0) return;
    for (const auto& v : vars.Items) {
        if (v->IsString()) continue;
        v->MissingCount = static_cast<uint8_t>(n);
        v->MissingRange = false;
        if (missing8) v->MissingValues[0] = static_cast<double>(NinesValue(v->Width, true));
        if (missing9)
            v->MissingValues[static_cast<size_t>(n - 1)] =
                static_cast<double>(NinesValue(v->Width, false));
    }
}

void WriteSPSExport(TVarColl& vars, const std::string& target, const TSPSExportOptions& options) {
    std::filesystem::path data = std::filesystem::absolute(target);
    data.replace_extension(".dat");
    std::string text = vars.DataListText(data.lexically_normal().string());
    if (options.VariableLabels) text += vars.VariableLabelsText();
    text += vars.ValueLabelsText();
    ApplyNinesMissing(vars, options.Missing8, options.Missing9);
    text += vars.MissingValuesText();
    // Under a temporary name until complete: a failed export leaves no
    // partial syntax file and an older one as it was.
    TOutputFile out(target);
    try {
        out.Write(text.data(), text.size());
        out.Commit();
    } catch (const EGeneric& e) {
        throw EGeneric(FileErrorText(target, e.Text()));
    }
}

std::unique_ptr<TVarColl> BuildScriptVars(std::string_view scriptText,
                                          const TScriptOptions& checkOptions, int maxNameLength,
                                          const std::string& errorText) {
    const std::string text = NormalizeLineEnds(scriptText);
    {
        TPXMessageList messages;
        messages.Limit = LimitForErrorMode(checkOptions.ErrorMode, checkOptions.ErrorCount);
        TPXDictionary script(text, checkOptions, messages);
        if (messages.CountKinds({mkError}) > 0) throw EGeneric(errorText);
    }
    auto vars = std::make_unique<TVarColl>();
    vars->ReadScriptText(text, maxNameLength);
    vars->Validate();
    return vars;
}

std::unique_ptr<TVarColl> BuildDictionaryVars(const TPXDictionary& script, int maxNameLength) {
    std::vector<std::string> lines;
    for (int32_t i = 0; i < script.Instructions.Count(); ++i)
        if (const TPXFieldInstruction* f = script.Instructions.Field(i)) f->WriteDefinition(lines);
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    auto vars = std::make_unique<TVarColl>();
    vars->ReadScriptText(text, maxNameLength);
    vars->Validate();
    return vars;
}

void ExportScriptToSPS(const std::string& scriptFileName, std::string_view scriptText,
                       const TScriptOptions& checkOptions, const std::string& target,
                       const TSPSExportOptions& options, int maxNameLength) {
    const std::string errorText = LangText(
        "<EN>Cannot export script to an .sps file.\r\nErrors found in script."
        "<PL>Nie można wyeksportować skryptu do pliku .sps.\r\nZnaleziono błędy w "
        "skrypcie.");
    {
        TPXMessageList messages;
        messages.Limit = LimitForErrorMode(checkOptions.ErrorMode, checkOptions.ErrorCount);
        TPXDictionary script(NormalizeLineEnds(scriptText), checkOptions, messages);
        if (messages.CountKinds({mkError}) > 0) throw EGeneric(errorText);
    }
    // The syntax must not take the place of the script or of the data file it
    // describes (a target ending in ".dat").
    std::filesystem::path data(target);
    data.replace_extension(".dat");
    if (SameFile(target, scriptFileName) || SameFile(target, data.string()))
        throw EGeneric(FormatText(
            LangText("<EN>The SPSS syntax file \"%s\" would replace the script or the data file."
                     "<PL>Plik składni SPSS \"%s\" zastąpiłby skrypt lub plik danych."),
            target.c_str()));
    const auto vars = BuildScriptVars(scriptText, checkOptions, maxNameLength, errorText);
    WriteSPSExport(*vars, target, options);
}

}  // namespace tallyra::core
