// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the data sub-commands (enter, check-data, freq): reading
// a script as the data station does and opening its data file.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <unordered_map>

#include "cliutil.h"
#include "data/dataowner.h"
#include "data/tpxdatahandler.h"
#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"

namespace tallyra::cli {

// A script read with the fixed options, its message list cleared.
struct TDataScript {
    core::TPXMessageList Messages;
    std::unique_ptr<core::TPXDictionary> Dictionary;
};

// Reads the script; prints the station's refusal (or the I/O error) to
// `err` and returns nullptr when it cannot be used.
std::unique_ptr<TDataScript> LoadDataScript(const std::string& path, std::ostream& err);

// Opens a data store as the station does (`viewer`: the viewer's handler).
// Prints the mismatch text or the I/O error and returns nullptr on failure.
// With `mustExist` a missing file is an error instead of being created.
std::unique_ptr<core::TPXDataHandler> OpenDataStore(TDataScript& script, const std::string& path,
                                                    bool makeBackup, bool viewer, bool mustExist,
                                                    core::IPXDataOwner* owner, std::ostream& err);

// The station's text for a data file that does not fit its script (UTF-8,
// CR LF line ends).
std::string DataMismatchText(const std::string& path);

// Opens an existing data file for reading only under the reader lock (the
// data check and frequencies): refused with the "in use" text while a store
// holds it. Prints the reason naming the file and returns nullptr on failure.
std::unique_ptr<core::TPXDataHandler> OpenReadingStore(TDataScript& script, const std::string& path,
                                                       std::ostream& err);

// The field named by its label, its VARNAME, the variable name `tallyra vars`
// prints for it (derived from its left text, --var-size long) or its 0-based
// instruction index, tried in that order; -1 when there is none.
int32_t FindFieldArgument(const core::TPXDictionary& script, const std::string& name);

// FindFieldArgument for many names of one script: the names are gathered
// once. The script must outlive the finder.
class TFieldFinder {
public:
    explicit TFieldFinder(const core::TPXDictionary& script);
    int32_t Find(const std::string& name) const;

private:
    const core::TPXDictionary& Script;
    std::unordered_map<std::string, int32_t> ByLabel;     // LABEL and VARNAME
    std::unordered_map<std::string, int32_t> ByVariable;  // the names `vars` prints
};

}  // namespace tallyra::cli
