// SPDX-License-Identifier: GPL-3.0-or-later
#include "pagesetup.h"

namespace tallyra::core {

void TPageSetup::Read(TSettingsStore& s, const std::string& root) {
    const std::string k = SubKey(root, "Page Setup");
    const TPageSetup d;
    MrgHeader = s.ReadInt(k, "mrgHeader", d.MrgHeader);
    MrgFooter = s.ReadInt(k, "mrgFooter", d.MrgFooter);
    MrgLeft = s.ReadInt(k, "mrgLeft", d.MrgLeft);
    MrgRight = s.ReadInt(k, "mrgRight", d.MrgRight);
    MrgTop = s.ReadInt(k, "mrgTop", d.MrgTop);
    MrgBottom = s.ReadInt(k, "mrgBottom", d.MrgBottom);
    // The left header is stored as "hrdLeft"; existing settings depend on it.
    HdrLeft = s.ReadStr(k, "hrdLeft", d.HdrLeft);
    HdrMiddle = s.ReadStr(k, "hdrMiddle", d.HdrMiddle);
    HdrRight = s.ReadStr(k, "hdrRight", d.HdrRight);
    FtrLeft = s.ReadStr(k, "ftrLeft", d.FtrLeft);
    FtrMiddle = s.ReadStr(k, "ftrMiddle", d.FtrMiddle);
    FtrRight = s.ReadStr(k, "ftrRight", d.FtrRight);
    PgFirstNr = s.ReadInt(k, "pgFirstNr", d.PgFirstNr);
    const std::string mark = "&[VRK]";
    bool found = false;
    for (const std::string* t : {&HdrLeft, &HdrMiddle, &HdrRight, &FtrLeft, &FtrMiddle, &FtrRight})
        if (t->find(mark) != std::string::npos) found = true;
    if (!found) HdrLeft = mark + " " + HdrLeft;
}

void TPageSetup::Write(TSettingsStore& s, const std::string& root) const {
    const std::string k = SubKey(root, "Page Setup");
    s.WriteInt(k, "mrgHeader", MrgHeader);
    s.WriteInt(k, "mrgFooter", MrgFooter);
    s.WriteInt(k, "mrgLeft", MrgLeft);
    s.WriteInt(k, "mrgRight", MrgRight);
    s.WriteInt(k, "mrgTop", MrgTop);
    s.WriteInt(k, "mrgBottom", MrgBottom);
    s.WriteStr(k, "hrdLeft", HdrLeft);
    s.WriteStr(k, "hdrMiddle", HdrMiddle);
    s.WriteStr(k, "hdrRight", HdrRight);
    s.WriteStr(k, "ftrLeft", FtrLeft);
    s.WriteStr(k, "ftrMiddle", FtrMiddle);
    s.WriteStr(k, "ftrRight", FtrRight);
    s.WriteInt(k, "pgFirstNr", PgFirstNr);
}

}  // namespace tallyra::core
