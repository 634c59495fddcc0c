// SPDX-License-Identifier: GPL-3.0-or-later
// The print page set-up of a main window: margins, header and footer texts
// with their "&[NAME]" directives and the first page number, stored under
// the window's "Page Setup" key.
#pragma once

#include <cstdint>
#include <string>

#include "settingsstore.h"

namespace tallyra::core {

struct TPageSetup {
    int32_t MrgHeader = 0, MrgFooter = 0;
    int32_t MrgLeft = 10, MrgRight = 10, MrgTop = 10, MrgBottom = 10;
    std::string HdrLeft = "&[VRK]", HdrMiddle, HdrRight = "&[DATE]";
    std::string FtrLeft, FtrMiddle = "&[PAGEINFO]", FtrRight;
    int32_t PgFirstNr = 1;

    // Reads every value (defaults above for missing ones). When none of the
    // six texts holds the maker's mark directive, it is put with one blank in
    // front of the left header.
    void Read(TSettingsStore& store, const std::string& root);
    void Write(TSettingsStore& store, const std::string& root) const;
};

}  // namespace tallyra::core
