// SPDX-License-Identifier: GPL-3.0-or-later
#include "exportdata.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "data/tpxdatahandler.h"
#include "export/atomicoutput.h"
#include "export/codebook.h"
#include "export/dataexport.h"
#include "exportsps.h"
#include "shell/errors.h"
#include "shell/fdio.h"
#include "shell/filebytes.h"
#include "shell/format.h"
#include "shell/ioerror.h"
#include "shell/langtext.h"
#include "shell/msgbox.h"
#include "spss/spssexport.h"
#include "tappmain.h"
#include "ttydchild.h"

namespace tallyra::gui {

namespace {

namespace fs = std::filesystem;

std::string FullPath(const std::string& path) {
    std::error_code ec;
    const fs::path full = fs::absolute(fs::path(path), ec);
    return ec ? path : full.string();
}

// The checked script window, or null when the command stops here.
TTYDChild_Form* UsableScript(TAppMain_Form* main) {
    TTYDChild_Form* w = main ? main->ActiveScript() : nullptr;
    if (!w) return nullptr;
    w->CheckScript();
    return w->ScriptUsable() ? w : nullptr;
}

std::string AskTarget(TAppMain_Form* main, const char* title, const std::string& filter,
                      const char* ext, const std::string& proposal) {
    TFileDialogRequest save;
    save.DialogMode = TFileDialogRequest::Mode::Save;
    save.Title = core::LangText(title);
    save.Folder = main->ExportDir.empty() ? main->OpenDir : main->ExportDir;
    save.FileName = proposal;
    save.Filter = filter;
    save.DefaultExt = ext;
    const std::vector<std::string> chosen = RunFileDialog(main, save);
    if (chosen.empty()) return {};
    const std::string target = FullPath(chosen.front());
    main->ExportDir = fs::path(target).parent_path().string();
    return target;
}

void ShowFailure(const char* text, const std::string& target, const std::string& reason) {
    MsgError(core::FormatText(core::LangText(text), target.c_str(), reason.c_str()));
}

const char* const ExportFailedText =
    "<EN>Error exporting file<PL>Błąd eksportowania pliku<*>:\r\n\"%s\".\r\n\r\n%s";

}  // namespace

std::string AskDataFile(TAppMain_Form* main, const char* title) {
    TFileDialogRequest open;
    open.DialogMode = TFileDialogRequest::Mode::Open;
    open.Title = core::LangText(title);
    open.Folder = main->OpenDir;
    open.Filter = DataFileFilter();
    open.DefaultExt = "dat";
    const std::vector<std::string> chosen = RunFileDialog(main, open);
    if (chosen.empty()) return {};
    const std::string data = FullPath(chosen.front());
    main->OpenDir = fs::path(data).parent_path().string();
    return data;
}

void ExportDataCommand(TAppMain_Form* main) {
    TTYDChild_Form* w = UsableScript(main);
    if (!w) return;
    const std::string data =
        AskDataFile(main, "<EN>Export data: data file<PL>Eksportuj dane: plik danych");
    if (data.empty()) return;
    const std::string target =
        AskTarget(main, "<EN>Export data<PL>Eksportuj dane", core::DataSetFileFilter(), "sav",
                  fs::path(data).stem().string());
    if (target.empty()) return;
    const auto format = core::DataSetFormatFromName(target);
    if (!format) {
        ShowFailure(ExportFailedText, target,
                    core::LangText("<EN>The file name must end in .sav, .zsav, .por, .dta or "
                                   ".csv.<PL>Nazwa pliku musi kończyć się na .sav, .zsav, .por, "
                                   ".dta lub .csv."));
        return;
    }
    core::TDataExportOptions options;
    options.Format = *format;
    if (!TExportSPS_Form::Ask(main, options.Spss)) return;
    const std::string hint = core::LangText("<EN>Exporting data<PL>Eksport danych");
    int shown = -1;
    options.Progress = [main, &hint, &shown](int64_t done, int64_t total) {
        const int percent = total > 0 ? int(done * 100 / total) : 100;
        if (percent == shown) return;
        shown = percent;
        main->SetProgress(hint, percent);
    };
    try {
        const auto vars = core::BuildScriptVars(
            w->TextBytes(), main->Lang.Options, core::SPSSVarSize(),
            core::LangText("<EN>Cannot export the data.\r\nErrors found in script."
                           "<PL>Nie można wyeksportować danych.\r\nZnaleziono błędy w "
                           "skrypcie."));
        core::TBackedUpTarget slot(target, {w->GetFileName(), data});
        main->SetProgress(hint, 0);
        const core::TDataExportSummary summary =
            core::ExportDataSet(*w->CheckedScript(), *vars, data, target, options);
        slot.Keep();
        main->SetProgress(std::string(), -1);
        MsgInformation(core::FormatText(
            core::LangText("<EN>%lld records, %d variables written to %s.<PL>Zapisano %lld "
                           "rekordów, %d zmiennych do %s."),
            static_cast<long long>(summary.Records), summary.Variables, target.c_str()));
        return;
    } catch (const core::EPXData&) {
        main->SetProgress(std::string(), -1);
        ShowFailure(ExportFailedText, target, core::DataMismatchText(data));
        return;
    } catch (const std::exception& e) {
        main->SetProgress(std::string(), -1);
        ShowFailure(ExportFailedText, target, e.what());
        return;
    }
    main->SetProgress(std::string(), -1);
}

void CodebookCommand(TAppMain_Form* main) {
    TTYDChild_Form* w = UsableScript(main);
    if (!w) return;
    const std::string data =
        AskDataFile(main,
                    "<EN>Codebook: data file for the frequencies (Cancel: none)<PL>Książka kodów: "
                    "plik danych do częstości (Anuluj: bez danych)");
    const std::string proposal = fs::path(data.empty() ? w->GetFileName() : data).stem().string();
    const std::string target =
        AskTarget(main, "<EN>Codebook<PL>Książka kodów",
                  core::LangText("<EN>HTML page (*.html)|*.html<PL>Strona HTML (*.html)|*.html"),
                  "html", proposal);
    if (target.empty()) return;
    const std::string hint = core::LangText("<EN>Writing the codebook<PL>Zapis książki kodów");
    main->SetProgress(hint, 0);
    try {
        const auto vars = core::BuildScriptVars(
            w->TextBytes(), main->Lang.Options, core::SPSSVarSize(),
            core::LangText("<EN>Cannot write the codebook.\r\nErrors found in script."
                           "<PL>Nie można zapisać książki kodów.\r\nZnaleziono błędy w "
                           "skrypcie."));
        std::unique_ptr<core::TPXDataHandler> store;
        if (!data.empty()) {
            if (!core::FileExists(data)) throw core::EGeneric(core::IOErrorText(2));
            // Read only, under the reader lock: the codebook never changes the
            // data file (not even a final Ctrl-Z) nor keeps a station off it
            // longer than the reading.
            try {
                store = core::TPXDataHandler::CreateForReading(*w->CheckedScript(), nullptr, data);
            } catch (const core::EPXData&) {
                throw core::EGeneric(core::DataMismatchText(data));
            }
        }
        main->SetProgress(hint, 30);
        const std::string page = core::CodebookHtml(
            *w->CheckedScript(), *vars, fs::path(w->GetFileName()).filename().string(), store.get(),
            fs::path(data).filename().string());
        store.reset();
        main->SetProgress(hint, 90);
        std::vector<std::string> inputs{w->GetFileName()};
        if (!data.empty()) inputs.push_back(data);
        core::TBackedUpTarget slot(target, inputs);
        core::TAtomicOutput output(target);
        core::WriteFull(output.Fd(), page.data(), page.size());
        output.Commit();
        slot.Keep();
    } catch (const std::exception& e) {
        main->SetProgress(std::string(), -1);
        ShowFailure(ExportFailedText, target, e.what());
        return;
    }
    main->SetProgress(std::string(), -1);
    MsgInformation(core::FormatText(
        core::LangText("<EN>The codebook was written to %s.<PL>Książkę kodów zapisano do %s."),
        target.c_str()));
}

}  // namespace tallyra::gui
