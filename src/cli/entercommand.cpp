// SPDX-License-Identifier: GPL-3.0-or-later
#include "entercommand.h"

#include <optional>

#include "cliargs.h"
#include "cliutil.h"
#include "data/keyscript.h"
#include "data/scriptedowner.h"
#include "data/tentrykeyboard.h"
#include "datautil.h"
#include "shell/cp1250.h"
#include "shell/errors.h"
#include "shell/format.h"
#include "shell/langtext.h"

namespace tallyra::cli {

using namespace tallyra::core;

const char* const EnterHelp =
    "Usage: tallyra enter SCRIPT DATA --keys FILE [--viewer] [--lang en|pl]\n"
    "       tallyra enter SCRIPT --start N --keys FILE [--lang en|pl]\n"
    "\n"
    "Opens DATA under SCRIPT as the data station does (a .bak copy is made and an\n"
    "incomplete last record is reported), goes to the entry position and plays\n"
    "the key script FILE through the data entry window's keyboard model. With\n"
    "--viewer the viewer's handler is used (no new records, first record shown).\n"
    "With --start N (and no DATA) the script test window is played instead: a\n"
    "temporary data file in which every field before instruction N is filled\n"
    "automatically; its content is printed to standard output at the end and\n"
    "the file is deleted.\n"
    "\n"
    "Key script (UTF-8): characters are typed as they stand; special keys are\n"
    "written <Name> with optional C-, A-, S- prefixes: <Enter> <Esc> <Tab> <BS>\n"
    "<Del> <Left> <Right> <Up> <Down> <Home> <End> <PgUp> <PgDn> <Ins> <KP+>\n"
    "<F1>..<F12>, e.g. <C-End>, <A-PgDn>; \"<<\" types \"<\"; line breaks are\n"
    "ignored. <Yes> or <No> right after a key answers a question that key\n"
    "causes (unanswered questions get No).\n"
    "\n"
    "Every message box text and question is printed to standard error as it\n"
    "appears. At the end the current record is saved and the position is printed:\n"
    "REC, PG, FIELD (instruction index) and IDEN.\n"
    "When a record cannot be written (a full disk, a file size limit) the run\n"
    "stops at once with the message naming the file.\n"
    "Exit status: 0 when the keys were played, 2 on usage or I/O errors.\n";

namespace {

struct TEnterOptions {
    std::vector<std::string> Files;  // script, data (only the script with --start)
    std::string KeysFile;
    long long Start = -1;  // the script test window's start instruction; -1: a data file
    bool Viewer = false;
};

// Reads the command line into `options`; an exit status when the command
// ends here (help, usage errors).
std::optional<int> ReadEnterArgs(const std::vector<std::string>& args, TEnterOptions& options,
                                 std::ostream& out, std::ostream& err) {
    const TCliCommand command{"enter", EnterHelp};
    const auto usage = [&](const std::string& message) {
        return UsageError(command, message, err);
    };
    const auto takeKeys = [&options](const std::string& value) {
        options.KeysFile = value;
        return std::string();
    };
    const std::vector<TCliOption> table = {
        ValueOption("--keys", takeKeys, "--keys needs a file"),
        NumberOption("--start", 0, 2147483647, options.Start,
                     "--start takes a number of 0 or more"),
        FlagOption("--viewer", options.Viewer),
        LanguageOption(),
    };
    if (const auto exit = ReadCommandLine(command, table, args, options.Files, out, err))
        return *exit;
    if (options.KeysFile.empty()) return usage("--keys FILE is required");
    if (options.Start >= 0 && (options.Files.size() != 1 || options.Viewer))
        return usage("--start takes a script and no data file (and no --viewer)");
    if (options.Start < 0 && options.Files.size() != 2)
        return usage("give a script and a data file");
    return std::nullopt;
}

// Reads the key script to its end, a window at a time, so that a broken key
// is found before anything is entered; memory stays the same whatever its
// length. An exit status when the script cannot be played.
std::optional<int> CheckKeyScript(const std::string& keysFile, std::ostream& err) {
    std::string error;
    try {
        TKeyScriptReader check = TKeyScriptReader::FromFile(keysFile);
        TScriptKey key;
        while (check.Next(key, error)) {
        }
    } catch (const ETallyraError& e) {
        err << "tallyra: " << ConsoleText(e.Text()) << "\n";
        return ExitUsage;
    }
    if (!error.empty()) {
        err << "tallyra: " << keysFile << ": " << error << "\n";
        return ExitUsage;
    }
    return std::nullopt;
}

// The store the keys go to: the test window's temporary file, or the data
// file as the station (or the viewer) opens it, with the station's warning
// about an incomplete last record. Null when it cannot be opened (reported).
std::unique_ptr<TPXDataHandler> OpenEntryStore(TDataScript& script, const TEnterOptions& options,
                                               TScriptedOwner& owner, std::ostream& err) {
    if (options.Start >= 0) {
        try {
            return TPXDataHandler::CreateTemp(*script.Dictionary, int32_t(options.Start), &owner);
        } catch (const ETallyraError& e) {
            err << "tallyra: " << ConsoleText(e.Text()) << "\n";
            return nullptr;
        }
    }
    auto store = OpenDataStore(script, options.Files[1], true, options.Viewer, false, &owner, err);
    if (!store) return nullptr;
    const TPXFieldInstruction* entry = store->FieldAt(store->EntryPos());
    if (entry && entry->Column != 1)
        owner.OwnerMessage(
            TOwnerBox::Warning,
            FormatText(LangText("<EN>The last record in the opened file is incomplete.\r\nIt "
                                "consists of %d characters out of %d.<PL>Ostatni wczytany "
                                "rekord nie jest pełny.\r\nZawiera %d z %d znaków."),
                       store->IncompleteLength(), store->RecordChars()));
    return store;
}

// Plays the key script through the keyboard model and writes the current
// record; an exit status when the run ends early.
std::optional<int> PlayKeyScript(TPXDataHandler& store, TScriptedOwner& owner,
                                 const TEnterOptions& options, std::ostream& err) {
    TEntryKeyboard keyboard(store, owner);
    owner.Keyboard = &keyboard;
    keyboard.StartEntry(options.Viewer);
    if (store.WriteFailed()) return ExitUsage;
    std::string error;
    try {
        TKeyScriptReader keys = TKeyScriptReader::FromFile(options.KeysFile);
        TScriptKey key;
        while (keys.Next(key, error)) {
            owner.Answers.assign(key.Answers.begin(), key.Answers.end());
            keyboard.Press(key.Stroke);
            owner.Answers.clear();
            // A record that cannot be written ends the run: its message, naming
            // the file, has been printed; the file holds whole records and at
            // most one partial one.
            if (store.WriteFailed()) return ExitUsage;
        }
    } catch (const ETallyraError& e) {
        // The key script went away or changed between the two readings.
        err << "tallyra: " << ConsoleText(e.Text()) << "\n";
        return ExitUsage;
    }
    if (!error.empty()) {
        err << "tallyra: " << options.KeysFile << ": " << error << "\n";
        return ExitUsage;
    }
    try {
        store.SaveRecord();
    } catch (const ETallyraError& e) {
        err << "tallyra: " << ConsoleText(e.Text()) << "\n";
        return ExitUsage;
    }
    return std::nullopt;
}

}  // namespace

int RunEnter(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TEnterOptions options;
    if (const auto exit = ReadEnterArgs(args, options, out, err)) return *exit;
    if (const auto exit = CheckKeyScript(options.KeysFile, err)) return *exit;
    auto script = LoadDataScript(options.Files[0], err);
    if (!script) return ExitUsage;
    TScriptedOwner owner;
    owner.Print = [&err](const std::string& text) { err << ConsoleText(text) << "\n"; };
    std::unique_ptr<TPXDataHandler> store = OpenEntryStore(*script, options, owner, err);
    if (!store) return ExitUsage;
    if (const auto exit = PlayKeyScript(*store, owner, options, err)) return *exit;
    const TPXDataContext& c = store->Context();
    out << Format("REC: %.5d  PG: %.4d  FIELD: %d  IDEN: %s\n", c.Rec, c.Page, c.Cur,
                  store->RecordIdText().c_str());
    if (options.Start >= 0) {
        std::string error;
        const auto content = ReadFileBytes(store->FileName(), error);
        if (!content) {
            err << "tallyra: " << store->FileName() << ": " << error << "\n";
            return ExitUsage;
        }
        out << *content;
    }
    return ExitOk;
}

}  // namespace tallyra::cli
