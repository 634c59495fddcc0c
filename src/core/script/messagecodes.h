// SPDX-License-Identifier: GPL-3.0-or-later
// The numbers of the script and data messages: errors 0x20xx, warnings
// 0x40xx, hints 0x60xx. The texts are in the catalogue of tpxmessage.cpp;
// code everywhere else raises and adds messages by these names.
#pragma once

#include <cstdint>

namespace tallyra::core {

// Errors found while reading a script.
constexpr int32_t mcNumberSyntax = 0x2001;           // number syntax error
constexpr int32_t mcUnterminatedText = 0x2002;       // text does not end with a '
constexpr int32_t mcUnknownKeyword = 0x2003;         // unknown reserved word
constexpr int32_t mcUnterminatedComment = 0x2004;    // comment does not end with }
constexpr int32_t mcCommentWithoutStart = 0x2005;    // comment has no beginning
constexpr int32_t mcInvalidCharacter = 0x2006;       // invalid character
constexpr int32_t mcInstructionExpected = 0x2007;    // instruction / reserved word expected
constexpr int32_t mcMissingAsterisk = 0x2008;        // instruction does not end with an *
constexpr int32_t mcEqualsExpected = 0x2009;         // = expected after this reserved word
constexpr int32_t mcIdentifierExpected = 0x200A;     // identifier expected
constexpr int32_t mcKeywordRepeated = 0x200B;        // reserved word repeated
constexpr int32_t mcTextExpected = 0x200C;           // text expected
constexpr int32_t mcNumberExpected = 0x200D;         // number expected
constexpr int32_t mcInvalidInPage = 0x200E;          // instruction is invalid in page definition
constexpr int32_t mcInvalidInComment = 0x200F;       // ... in comment definition
constexpr int32_t mcOpenBracketExpected = 0x2010;    // [ expected
constexpr int32_t mcCloseBracketExpected = 0x2011;   // ] expected
constexpr int32_t mcLabelDefined = 0x2012;           // label already defined
constexpr int32_t mcUndefinedLabel = 0x2013;         // undefined label
constexpr int32_t mcInvalidReference = 0x2014;       // reference to another kind of instruction
constexpr int32_t mcEmptyPage = 0x2015;              // at least one field on a page
constexpr int32_t mcFieldAttributeOnly = 0x2016;     // attribute of field definitions only
constexpr int32_t mcTextAttributeOnly = 0x2017;      // ... of text field definitions only
constexpr int32_t mcNumericAttributeOnly = 0x2018;   // ... of numeric field definitions only
constexpr int32_t mcConstantIdentifier = 0x2019;     // const field cannot be the identifier
constexpr int32_t mcIdentifierDefined = 0x201A;      // record identifier already defined
constexpr int32_t mcNoSuchRange = 0x201B;            // range does not exist
constexpr int32_t mcGroupNotEnded = 0x201C;          // group not ended yet
constexpr int32_t mcIdentifierInGroup = 0x201D;      // identifier cannot belong to a group
constexpr int32_t mcNumericLabelExpected = 0x201E;   // label must describe a numeric field
constexpr int32_t mcItemNeedsRepeat = 0x201F;        // when using item you must use repeat
constexpr int32_t mcInvalidRepeat = 0x2020;          // repeat value outside 1:999
constexpr int32_t mcInvalidItem = 0x2021;            // item value outside 1:999
constexpr int32_t mcInvalidLabelCharacter = 0x2022;  // invalid character in the label
constexpr int32_t mcIllegalHere = 0x2023;            // %s illegal in this definition
constexpr int32_t mcFieldLabelExpected = 0x2024;     // label must describe a field
constexpr int32_t mcWideNumberTooWide = 0x2025;      // numeric width over 11 (wide numbers)
constexpr int32_t mcNumberTooWide = 0x2026;          // numeric width over 8
constexpr int32_t mcNumberHeight = 0x2027;           // numeric field height must be 1
constexpr int32_t mcTextWidth = 0x2028;              // invalid width of a text field
constexpr int32_t mcTextTooWide = 0x2029;            // text field width too big
constexpr int32_t mcZeroWidth = 0x202A;              // field width must be greater than zero
constexpr int32_t mcZeroHeight = 0x202B;             // field height must be greater than zero
constexpr int32_t mcInvalidAuto = 0x202C;            // invalid auto value
constexpr int32_t mcAutoTooWide = 0x202D;            // auto value wider than the field
constexpr int32_t mcNumericAutoInText = 0x202E;      // numeric auto value in a text field
constexpr int32_t mcAutoWidthDiffers = 0x202F;       // auto value width differs from the field
constexpr int32_t mcEmptyRange = 0x2030;             // this range cannot be empty
constexpr int32_t mcIdentifierInFilter = 0x2031;     // identifier cannot belong to a filter
constexpr int32_t mcNoDataField = 0x2032;            // no field which is not const or recid
constexpr int32_t mcRecordTooLong = 0x2033;          // record too long
constexpr int32_t mcReferenceInVarName = 0x2034;     // variable names cannot refer to fields
constexpr int32_t mcInstructionNotAllowed = 0x2035;  // %s instruction not allowed

// Errors found in data by the data check.
constexpr int32_t mcUndefinedValue = 0x2065;         // undefined value
constexpr int32_t mcConstantNotAutomatic = 0x2066;   // constant field value not automatic
constexpr int32_t mcNonNumericValue = 0x2067;        // non-numeric value
constexpr int32_t mcValueOutOfRange = 0x2068;        // value outside of the allowed range
constexpr int32_t mcNonAutomaticFiltered = 0x2069;   // non-automatic value under the filter
constexpr int32_t mcValueAfterAutomatic = 0x206A;    // another value after the automatic value
constexpr int32_t mcValueRepeated = 0x206B;          // value repeated
constexpr int32_t mcAutomaticOutsideGroup = 0x206C;  // automatic value outside of a filter/group

// Warnings.
constexpr int32_t mcOverlappingRanges = 0x4001;  // overlapping ranges
constexpr int32_t mcInvalidRange = 0x4002;       // invalid range
constexpr int32_t mcAutoOutOfRange = 0x4003;     // numeric auto value outside the range
constexpr int32_t mcRangeTooWide = 0x4004;       // range values wider than width
constexpr int32_t mcFilterOutOfRange = 0x4005;   // active filter values outside the range
constexpr int32_t mcLabelUnused = 0x4006;        // label never used
constexpr int32_t mcLeftTextMissing = 0x4007;    // left text missing
constexpr int32_t mcFilterIsRange = 0x4008;      // active filter values match the range
constexpr int32_t mcWiderThanMaximum = 0x4009;   // width wider than the max. allowed value
constexpr int32_t mcIllegalVarName = 0x400A;     // illegal variable name
constexpr int32_t mcVarNameRepeated = 0x400B;    // variable name repeated

// Hints.
constexpr int32_t mcNoIdentifier = 0x6001;       // record identifier not defined
constexpr int32_t mcUnnecessaryItem = 0x6002;    // unnecessary item definition
constexpr int32_t mcUnnecessaryRepeat = 0x6003;  // unnecessary repeat definition
constexpr int32_t mcNoDollarInLeft = 0x6004;     // left label has no $ character
constexpr int32_t mcInheritedAuto = 0x6005;      // auto definition inherited
constexpr int32_t mcInheritedWidth = 0x6006;     // width definition inherited
constexpr int32_t mcInheritedRange = 0x6007;     // range definition inherited
constexpr int32_t mcDefaultHeight = 0x6008;      // height definition unnecessary, default 1

}  // namespace tallyra::core
