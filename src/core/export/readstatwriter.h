// SPDX-License-Identifier: GPL-3.0-or-later
// The ReadStat-backed writers of TDataSetWriter (sav, zsav, por, dta). Only
// readstatwriter.cpp includes readstat.h.
#pragma once

#include <memory>

#include "tdatasetwriter.h"

namespace tallyra::core {

// `format` is one of Sav, Zsav, Por, Dta; `fd` is borrowed.
std::unique_ptr<TDataSetWriter> CreateReadStatWriter(TDataSetFormat format, int fd,
                                                     const TDataSetWriterOptions& options);

}  // namespace tallyra::core
