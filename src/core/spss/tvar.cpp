// SPDX-License-Identifier: GPL-3.0-or-later
#include "tvar.h"

#include <bit>
#include <cmath>
#include <cstdio>

namespace tallyra::core {

const double SPSSLowest = std::bit_cast<double>(uint64_t{0xFFEFFFFFFFFFFFFEull});
const double SPSSHighest = std::bit_cast<double>(uint64_t{0x7FEFFFFFFFFFFFFFull});

TVal* TValColl::FindByValue(double x) {
    for (TVal& item : Items)
        if (item.Value == x) return &item;
    return nullptr;
}

bool TVar::IsMissing(double x) const {
    const int count = MissingCount > 3 ? 3 : MissingCount;
    for (int i = 0; i < count; ++i)
        if (MissingValues[static_cast<size_t>(i)] == x) return true;
    return MissingRange && MissingValues[0] <= x && x <= MissingValues[1];
}

namespace {

// Fixed notation with `decimals` digits and at most 18 significant digits;
// values too large for that switch to the exponent form, which any sensible
// width then shows as asterisks.
std::string FixedText(double x, int decimals) {
    if (std::isnan(x)) return "NAN";
    if (std::isinf(x)) return x < 0 ? "-INF" : "INF";
    if (decimals < 0) decimals = 0;
    if (decimals > 18) decimals = 18;
    char buffer[64];
    if (std::fabs(x) >= 1e18)
        std::snprintf(buffer, sizeof buffer, "%.17E", x);
    else
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, x);
    return buffer;
}

}  // namespace

std::string TVar::FormatValue(double x) {
    if (x == SPSSLowest) return "LOWEST";
    if (x == SPSSHighest) return "HIGHEST";
    std::string text = FixedText(x, Decimals);
    if (Decimals > 0) {
        if (text.size() >= 2 && text[0] == '0' && text[1] == '.')
            text.erase(0, 1);
        else if (text.size() >= 3 && text[0] == '-' && text[1] == '0' && text[2] == '.')
            text.erase(1, 1);
    }
    if (static_cast<int64_t>(text.size()) > Width) {
        Overflow = true;
        return std::string(static_cast<size_t>(Width > 0 ? Width : 0), '*');
    }
    return text;
}

std::string TVar::MissingText() {
    const auto shown = [this](double x) {
        std::string text = FormatValue(x);
        return !text.empty() && text[0] == '*' ? std::string("*") : text;
    };
    std::string text;
    if (MissingRange) {
        text = FormatValue(MissingValues[0]) + " thru " + shown(MissingValues[1]);
        if (MissingCount == 3) text += ", " + shown(MissingValues[2]);
        return text;
    }
    const int count = MissingCount > 3 ? 3 : MissingCount;
    for (int i = 0; i < count; ++i) {
        if (i > 0) text += ", ";
        text += shown(MissingValues[static_cast<size_t>(i)]);
    }
    return text;
}

}  // namespace tallyra::core
