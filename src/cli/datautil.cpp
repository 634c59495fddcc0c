// SPDX-License-Identifier: GPL-3.0-or-later
#include "datautil.h"

#include <filesystem>

#include "cliutil.h"
#include "data/datafile.h"
#include "data/tpddatahandler.h"
#include "script/tscriptoptions.h"
#include "shell/errors.h"
#include "shell/format.h"
#include "shell/ioerror.h"
#include "shell/langtext.h"
#include "spss/tvarcoll.h"

namespace tallyra::cli {

using namespace tallyra::core;

std::unique_ptr<TDataScript> LoadDataScript(const std::string& path, std::ostream& err) {
    auto script = std::make_unique<TDataScript>();
    try {
        script->Dictionary = std::make_unique<TPXDictionary>(path, script->Messages);
    } catch (const ETallyraError& e) {
        err << "tallyra: " << ConsoleText(e.Text()) << "\n";
        return nullptr;
    }
    if (script->Messages.CountKinds({mkError}) > 0) {
        err << ConsoleText(FormatText(
                   LangText("<EN>The script has errors and cannot be used.\r\n%s\r\n\r\nContact "
                            "the manager or select another file.<PL>Skrypt zawiera błędy i nie "
                            "można go wykorzystać.\r\n%s\r\n\r\nSkontaktuj się z szefem "
                            "wprowadzania danych lub wybierz inny plik."),
                   path.c_str()))
            << "\n";
        return nullptr;
    }
    script->Messages.Clear();
    return script;
}

std::string DataMismatchText(const std::string& path) {
    return FormatText(
        LangText("<EN>The data structure does not correspond with the script.\r\n%s\r\n\r\nCheck "
                 "whether you loaded the script and the data from the same survey.<PL>Struktura "
                 "danych nie odpowiada skryptowi.\r\n%s\r\n\r\nSprawdź, czy skrypt i dane "
                 "pochodzą z tego samego badania."),
        path.c_str());
}

std::unique_ptr<TPXDataHandler> OpenDataStore(TDataScript& script, const std::string& path,
                                              bool makeBackup, bool viewer, bool mustExist,
                                              IPXDataOwner* owner, std::ostream& err) {
    std::error_code ec;
    if (mustExist && !std::filesystem::exists(path, ec)) {
        err << "tallyra: " << path << ": " << IOErrorText(2) << "\n";
        return nullptr;
    }
    try {
        if (viewer)
            return TPDDataHandler::CreateForFile(*script.Dictionary, makeBackup, owner, path);
        return TPXDataHandler::CreateForFile(*script.Dictionary, makeBackup, owner, path);
    } catch (const EPXData&) {
        err << ConsoleText(DataMismatchText(path)) << "\n";
    } catch (const ETallyraError& e) {
        err << "tallyra: " << path << ": " << ConsoleText(e.Text()) << "\n";
    }
    return nullptr;
}

std::unique_ptr<TPXDataHandler> OpenReadingStore(TDataScript& script, const std::string& path,
                                                 std::ostream& err) {
    try {
        return TPXDataHandler::CreateForReading(*script.Dictionary, nullptr, path);
    } catch (const EPXData&) {
        err << ConsoleText(DataMismatchText(path)) << "\n";
    } catch (const ETallyraError& e) {
        err << "tallyra: " << path << ": " << ConsoleText(e.Text()) << "\n";
    }
    return nullptr;
}

TFieldFinder::TFieldFinder(const TPXDictionary& script) : Script(script) {
    const TPXInstructionList& list = script.Instructions;
    // The variable names `vars` prints (and the SPSS export writes): one per
    // field instruction, in order.
    TVarColl vars;
    vars.ReadScriptFields(script, SPSSVarSize());
    int32_t ordinal = 0;
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TPXFieldInstruction* f = list.Field(i);
        if (!f) continue;
        // The first field of a name wins.
        if (!f->Label.empty()) ByLabel.emplace(f->Label, i);
        if (!f->VarName.empty()) ByLabel.emplace(f->VarName, i);
        if (ordinal < vars.Count()) ByVariable.emplace(vars.Get(ordinal)->Name, i);
        ++ordinal;
    }
}

int32_t TFieldFinder::Find(const std::string& name) const {
    std::string upper = name;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    if (!upper.empty()) {
        for (const auto* names : {&ByLabel, &ByVariable}) {
            const auto found = names->find(upper);
            if (found != names->end()) return found->second;
        }
    }
    const TPXInstructionList& list = Script.Instructions;
    const auto index = ParseInteger(name);
    if (index && *index >= 0 && *index < list.Count() && list.Field(int32_t(*index)))
        return int32_t(*index);
    return -1;
}

int32_t FindFieldArgument(const TPXDictionary& script, const std::string& name) {
    return TFieldFinder(script).Find(name);
}

}  // namespace tallyra::cli
