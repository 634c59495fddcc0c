// SPDX-License-Identifier: GPL-3.0-or-later
#include "checkdatacommand.h"

#include <optional>

#include "cliargs.h"
#include "cliutil.h"
#include "data/tentrykeyboard.h"
#include "datautil.h"
#include "jsonwriter.h"
#include "shell/cp1250.h"
#include "shell/errors.h"
#include "shell/format.h"
#include "shell/langtext.h"

namespace tallyra::cli {

using namespace tallyra::core;

const char* const CheckDataHelp =
    "Usage: tallyra check-data [OPTIONS] SCRIPT DATA\n"
    "\n"
    "Checks the full records of DATA against SCRIPT as the data entry window's\n"
    "\"Check all\" does and prints one line per data error:\n"
    "  DATA:RECORD:FIELD: LEFT: 0xCODE: TEXT\n"
    "(FIELD is the instruction index, LEFT the field's left text), then \"The data\n"
    "is OK!\" or the number of errors found. The file is not changed.\n"
    "\n"
    "Options:\n"
    "  --mask N        the kinds of error to report, a sum of 1 undefined value,\n"
    "                  2 constant not automatic, 4 non-numeric, 8 out of range,\n"
    "                  16 non-automatic under a filter, 32 another value after the\n"
    "                  automatic value, 64 value repeated, 128 automatic value\n"
    "                  outside of a filter/group (default 255)\n"
    "  --record R      check record R only\n"
    "  --json          print one JSON object\n"
    "  --lang en|pl    language of the texts (default from LANG/LC_ALL)\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 when the data is OK, 1 when errors were found, 2 on usage or\n"
    "I/O errors.\n";

namespace {

struct TCheckDataOptions {
    std::vector<std::string> Files;  // script, data
    long long Mask = CheckMaskAll;
    long long Record = 0;  // 0: every full record
    bool Json = false;
};

// Reads the command line into `options`; an exit status when the command
// ends here (help, usage errors).
std::optional<int> ReadCheckDataArgs(const std::vector<std::string>& args,
                                     TCheckDataOptions& options, std::ostream& out,
                                     std::ostream& err) {
    const TCliCommand command{"check-data", CheckDataHelp};
    const std::vector<TCliOption> table = {
        NumberOption("--mask", 0, 255, options.Mask, "--mask takes a number from 0 to 255"),
        NumberOption("--record", 1, 2147483647, options.Record, "--record takes a record number"),
        FlagOption("--json", options.Json),
        LanguageOption(),
    };
    if (const auto exit = ReadCommandLine(command, table, args, options.Files, out, err))
        return *exit;
    if (options.Files.size() != 2) return UsageError(command, "give a script and a data file", err);
    return std::nullopt;
}

// Runs the data check of every full record or of the one asked for; an exit
// status when it could not run.
std::optional<int> CheckTheData(TPXDataHandler& store, const TCheckDataOptions& options,
                                std::ostream& err) {
    const std::string& data = options.Files[1];
    try {
        if (options.Record == 0) {
            store.CheckData(true, uint8_t(options.Mask));
            return std::nullopt;
        }
        // Only full records can be checked: name the file, the record and
        // how many there are.
        if (options.Record > store.FullCount()) {
            const bool partial =
                options.Record == store.FullCount() + 1 && store.IncompleteLength() > 0;
            err << "tallyra check-data: "
                << ConsoleText(FormatText(
                       LangText(partial ? "<EN>%s: record %lld is incomplete (the file has %d "
                                          "full records).<PL>%s: rekord %lld jest niepełny (plik "
                                          "zawiera %d pełnych rekordów)."
                                        : "<EN>%s: there is no record %lld (the file has %d "
                                          "full records).<PL>%s: nie ma rekordu %lld (plik "
                                          "zawiera %d pełnych rekordów)."),
                       data.c_str(), options.Record, int(store.FullCount())))
                << "\n";
            return ExitUsage;
        }
        store.GoToRecord(int32_t(options.Record));
        store.CheckData(false, uint8_t(options.Mask));
    } catch (const ETallyraError& e) {
        err << "tallyra: " << ConsoleText(e.Text()) << "\n";
        return ExitUsage;
    }
    return std::nullopt;
}

// Prints the data errors of the store's message list and the result line,
// as lines or as one JSON object.
void PrintDataErrors(TPXDataHandler& store, const std::string& data, bool json, std::ostream& out) {
    TEHList& list = store.MessageList();
    const std::string result = CheckResultText(list.Count());
    TJsonWriter writer;
    if (json) {
        writer.BeginObject();
        writer.Key("file");
        writer.String(data);
        writer.Key("fullRecords");
        writer.Number(store.FullCount());
        writer.Key("errors");
        writer.BeginArray();
    }
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TEHMessage* m = list.Get(i);
        int32_t rec = int32_t(uint32_t(m->Position) & 0xFFFFu);
        int32_t field = int32_t(uint32_t(m->Position) >> 16);
        if (const auto* message = dynamic_cast<const TPXDataMessage*>(m)) {
            rec = message->Record;
            field = message->FieldIndex;
        }
        const TPXFieldInstruction* f = store.FieldAt(field);
        const std::string left = f ? Cp1250ToUtf8(f->Left) : std::string();
        if (json) {
            writer.BeginObject();
            writer.Key("record");
            writer.Number(rec);
            writer.Key("field");
            writer.Number(field);
            writer.Key("left");
            writer.String(left);
            writer.Key("code");
            writer.Number(m->Code);
            writer.Key("text");
            writer.String(m->GetText());
            writer.EndObject();
        } else {
            out << data << ":" << rec << ":" << field << ": " << left << ": "
                << Format("0x%04X", unsigned(m->Code)) << ": " << m->GetText() << "\n";
        }
    }
    if (json) {
        writer.EndArray();
        writer.Key("result");
        writer.String(ConsoleText(result));
        writer.EndObject();
        out << writer.Text() << "\n";
    } else {
        out << ConsoleText(result) << "\n";
    }
}

}  // namespace

int RunCheckData(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TCheckDataOptions options;
    if (const auto exit = ReadCheckDataArgs(args, options, out, err)) return *exit;
    auto script = LoadDataScript(options.Files[0], err);
    if (!script) return ExitUsage;
    auto store = OpenReadingStore(*script, options.Files[1], err);
    if (!store) return ExitUsage;
    if (store->FullCount() == 0) {
        err << "tallyra check-data: " << options.Files[1] << ": "
            << ConsoleText(NoFullRecordsText()) << "\n";
        return ExitUsage;
    }
    if (const auto exit = CheckTheData(*store, options, err)) return *exit;
    PrintDataErrors(*store, options.Files[1], options.Json, out);
    return store->MessageList().Count() > 0 ? ExitFound : ExitOk;
}

}  // namespace tallyra::cli
