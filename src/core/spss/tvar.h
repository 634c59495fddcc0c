// SPDX-License-Identifier: GPL-3.0-or-later
// The variable model: value labels (TVal, TValColl) and one variable (TVar)
// with its columns, type, format, labels and missing values, and the way its
// values are written as SPSS syntax text.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tallyra::core {

// The values standing for the SPSS keywords LOWEST and HIGHEST.
extern const double SPSSLowest;   // bit pattern 0xFFEFFFFFFFFFFFFE
extern const double SPSSHighest;  // bit pattern 0x7FEFFFFFFFFFFFFF

constexpr uint8_t vtNumeric = 0;
constexpr uint8_t vtString = 1;

// One value label. Text is 8-bit (code page 1250) without quotes.
struct TVal {
    std::string Text;
    double Value = 0;
};

// The value labels of one variable in the order they were defined. A value
// type: copying it copies every label.
class TValColl {
public:
    int32_t Count() const { return static_cast<int32_t>(Items.size()); }
    TVal& Get(int32_t index) { return Items[static_cast<size_t>(index)]; }
    const TVal& Get(int32_t index) const { return Items[static_cast<size_t>(index)]; }
    void Add(const TVal& value) { Items.push_back(value); }
    // The first label whose Value equals x exactly, or nullptr.
    TVal* FindByValue(double x);

    std::vector<TVal> Items;
};

// One variable. Copying a TVar copies its value labels.
class TVar {
public:
    TVar() = default;
    virtual ~TVar() = default;
    TVar(const TVar&) = default;
    TVar& operator=(const TVar&) = default;

    // True when x is one of the used discrete missing values, or lies in the
    // missing range.
    virtual bool IsMissing(double x) const;
    // The text used inside MISSING VALUES: "1 thru 5, 9" or "8, 9". Formats
    // values with FormatValue, so it may set Overflow.
    virtual std::string MissingText();
    // A new empty value label; the caller adds it to ValueLabels.
    virtual TVal NewVal() const { return TVal(); }
    // The value as SPSS syntax text: LOWEST, HIGHEST, or fixed notation with
    // Decimals digits (".5" for 0.5); Width asterisks, setting Overflow, when
    // the text would be wider than Width.
    virtual std::string FormatValue(double x);

    bool IsString() const { return VarType == vtString; }

    std::string Name;   // upper case
    std::string Label;  // without quotes; may be empty
    uint8_t VarType = vtNumeric;
    int32_t Start = 0;  // first column, from 1
    int32_t Width = 0;
    int32_t Decimals = 0;
    TValColl ValueLabels;
    std::string Format = "F1.2";
    uint8_t MissingCount = 0;  // 0..3
    bool MissingRange = false;
    std::array<double, 3> MissingValues{};  // slots 1..3 as [0]..[2]
    bool Overflow = false;
};

}  // namespace tallyra::core
