// SPDX-License-Identifier: GPL-3.0-or-later
#include "tpxdictionary.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "../shell/errors.h"
#include "../shell/filebytes.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"
#include "keywords.h"
#include "messagecodes.h"
#include "tpxreadstate.h"

namespace tallyra::core {

namespace {

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return upper;
}

// The first 8 characters of an identifier, upper case: a label.
std::string LabelOf(const std::string& upperText) {
    return upperText.substr(0, 8);
}

int32_t TokenValue(const TPXCompiler& c) {
    int value;
    if (!StrToIntPX(c.TokenText, value)) throw ECompilerError(mcNumberSyntax);
    return value;
}

// Loads a file's bytes (at most MaxDocumentBytes); EGeneric with the
// script-opening text followed by the reason when it cannot be read.
std::string LoadScriptFile(const std::string& fileName) {
    try {
        return ReadFileBytes(fileName, MaxDocumentBytes);
    } catch (const EGeneric& e) {
        std::error_code ec;
        const std::string full = std::filesystem::absolute(fileName, ec).string();
        throw EGeneric(FormatText(LangText("<EN>Error opening script file:<PL>Błąd otwarcia pliku "
                                           "skryptu:<*>\r\n\"%s\"."),
                                  full.c_str()) +
                       "\r\n" + e.Text());
    }
}

}  // namespace

std::string JoinLinesCRLF(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16 + 2);
    size_t i = 0;
    while (i < bytes.size()) {
        const size_t end = bytes.find_first_of("\r\n", i);
        if (end == std::string_view::npos) {
            text.append(bytes.substr(i));
            text += "\r\n";
            break;
        }
        text.append(bytes.substr(i, end - i));
        text += "\r\n";
        i = end + 1;
        if (bytes[end] == '\r' && i < bytes.size() && bytes[i] == '\n') ++i;
    }
    return text;
}

TLineIndex::TLineIndex(std::string_view text) {
    // Lines end at CR LF.
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        Starts.push_back(static_cast<int64_t>(start));
        if (end == std::string_view::npos) break;
        start = end + 2;
    }
}

TCaret TLineIndex::Caret(int32_t offset) const {
    // The first line whose running sum of (length + 2) exceeds the offset, or the last line.
    // That sum is the start of the next line, so this is the last line starting at or
    // before the offset.
    const auto it = std::upper_bound(Starts.begin(), Starts.end(), int64_t(offset));
    const size_t line = it == Starts.begin() ? 0 : size_t(it - Starts.begin()) - 1;
    const int64_t column = offset - Starts[line];
    return {static_cast<int32_t>(column), static_cast<int32_t>(line)};
}

TCaret OffsetToCaret(std::string_view text, int32_t offset) {
    return TLineIndex(text).Caret(offset);
}

TPXDictionary::TPXDictionary(const std::string& fileName, TEHList& messages,
                             IReadingProgress* progress)
    : Options(FixedReadingOptions()), Progress(progress) {
    const std::string text = JoinLinesCRLF(LoadScriptFile(fileName));
    Read(text, messages);
    Finish();
}

TPXDictionary::TPXDictionary(std::string_view text, const TScriptOptions& options,
                             TEHList& messages, IReadingProgress* progress)
    : Options(options), Progress(progress) {
    Read(text, messages);
    Finish();
}

TPXDictionary::~TPXDictionary() = default;

void TPXDictionary::ReportProgress(int percent) {
    if (Progress != nullptr) Progress->ReadingProgress(percent);
}

void TPXDictionary::Read(std::string_view text, TEHList& messages) {
    // Positions are 32-bit: a larger text cannot be addressed.
    if (text.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw EGeneric(LangText("<EN>The script is too large.<PL>Skrypt jest za duży."));
    Messages = &messages;
    if (messages.Items.capacity() < 256) messages.Reserve(256);
    Instructions.Items.reserve(8192);
    S = std::make_unique<TPXReadState>(text);
    // Room for the labels a text of this size may hold, so the indexes rarely grow.
    const size_t expected = std::min<size_t>(text.size() / 64, size_t(1) << 20);
    S->Labelled.reserve(expected);
    S->VarNames.reserve(expected);
    TPXCompiler& c = S->Compiler;
    c.Owner = this;
    try {
        do {
            try {
                c.NextToken();
                Step();
                if (Progress != nullptr && !text.empty() && Instructions.Count() % 200 == 0) {
                    const double percent = std::round(100.0 * c.Position / double(text.size()));
                    ReportProgress(percent > 100 ? 100 : static_cast<int>(percent));
                }
            } catch (const ECompilerError& e) {
                if (e.Code == mcNoSuchRange) {
                    // Reported where the offending range was written.
                    const auto* candidates = S->PendingRefs.Candidates(S->Collector.Label);
                    if (candidates != nullptr) {
                        for (auto it = candidates->rbegin(); it != candidates->rend(); ++it) {
                            if (!S->PendingRefs.Matches(*it, S->Collector.Label)) continue;
                            messages.AddMessage(mkError, S->PendingRefs.Items[size_t(*it)].FromPos,
                                                e.Code);
                            break;
                        }
                    }
                } else {
                    messages.AddMessage(mkError, c.Position, e.Code);
                }
                S->Collector = TPXInstruction();
                S->InProgress = false;
                c.SkipToEnd();
            }
        } while (c.TokenKind != tkEnd);
        ReportProgress(-1);
        EndChecks();
    } catch (const EMessagesLimit&) {
        // The list is full of errors: reading ends here, the marker is in the list.
    }
    S.reset();
}

void TPXDictionary::Finish() {
    if (Instructions.Count() > 0 && Instructions.Items.back()->Kind == ikPage)
        Instructions.Items.pop_back();
    PageCount = 1;
    RecIdIndex = -1;
    RecordLength = 0;
    for (int32_t i = 0; i < Instructions.Count(); ++i) {
        const TPXGenericInstruction* instruction = Instructions.Get(i);
        if (instruction->Kind == ikPage) {
            ++PageCount;
        } else if (instruction->Kind == ikField) {
            const auto* field = static_cast<const TPXFieldInstruction*>(instruction);
            if (RecIdIndex < 0 && (field->Flags & ffRecId)) RecIdIndex = i;
            RecordLength = field->Column + field->Width - 1;
        }
    }
    LineLength = RecordLength + 2;
    if (Messages != nullptr) Messages->Shrink();
    Instructions.Items.shrink_to_fit();
}

TPXRefInstruction* TPXDictionary::FindLabel(std::string_view reference) {
    if (!reference.empty() && reference[0] == '^') reference.remove_prefix(1);
    const std::string name = UpperAscii(reference.substr(0, 8));
    TPXRefInstruction* const target = S->FindLabelled(name);
    if (target == nullptr) throw ECompilerError(mcUndefinedLabel);
    if (const auto* candidates = S->UnreferencedLabels.Candidates(name)) {
        for (const int32_t i : *candidates)
            if (S->UnreferencedLabels.Items[size_t(i)].FromLabel == name)
                S->UnreferencedLabels.Remove(i);
        S->UnreferencedLabels.Forget(name);
    }
    return target;
}

void TPXDictionary::AddHint(int32_t code) {
    Messages->AddMessage(mkHint, S->Compiler.Position, code);
}

void TPXDictionary::AddWarning(int32_t code) {
    Messages->AddMessage(mkWarning, S->Compiler.Position, code);
}

void TPXDictionary::Step() {
    TPXCompiler& c = S->Compiler;
    TPXInstruction& col = S->Collector;
    if (c.TokenKind == tkEnd) return;
    if (c.IsSymbol('*')) {
        Complete();
        S->Collector = TPXInstruction();
        S->InProgress = false;
        return;
    }
    if (c.TokenKind != tkIdent) throw ECompilerError(mcInstructionExpected);
    const TKeyword k = FindKeyword(c.UpperText);
    if (k == kwNone) throw ECompilerError(mcUnknownKeyword);
    S->InProgress = true;

    // What kind of instruction the keyword makes.
    if (k == kwPage) {
        if (col.State == 1) throw ECompilerError(mcKeywordRepeated);
        if (col.State != 0) throw ECompilerError(mcInvalidInPage);
        col.State = 1;
    } else if (k == kwComment) {
        if (col.State == 2) throw ECompilerError(mcKeywordRepeated);
        if (col.State != 0) throw ECompilerError(mcInvalidInComment);
        col.State = 2;
    } else if (k == kwLabel) {
        if (col.State == 1) throw ECompilerError(mcInvalidInPage);
    } else {
        if (col.State == 1) throw ECompilerError(mcInvalidInPage);
        if (col.State == 2) throw ECompilerError(mcInvalidInComment);
        col.State = 3;
    }

    const bool isText = (col.Flags & ffText) != 0;
    if (isText && (k == kwRange || k == kwWhen || k == kwSignal || k == kwRecId || k == kwValLab))
        throw ECompilerError(mcNumericAttributeOnly);

    bool repeated = false;
    switch (k) {
        case kwLeft:
            repeated = !col.Left.empty();
            break;
        case kwRight:
            repeated = !col.Right.empty();
            break;
        case kwAuto:
            repeated = !col.Auto.empty();
            break;
        case kwVarName:
            repeated = !col.VarName.empty();
            break;
        case kwVarLab:
            repeated = !col.VarLab.empty();
            break;
        case kwRange:
            repeated = col.Range != nullptr;
            break;
        case kwLabel:
            repeated = !col.Label.empty();
            break;
        case kwGroup:
            repeated = !col.Group.empty();
            break;
        case kwWidth:
            repeated = col.Width > 0;
            break;
        case kwHeight:
            repeated = col.Height > 0;
            break;
        case kwRepeat:
            repeated = col.Repeat >= 0;
            break;
        case kwItem:
            repeated = col.Item >= 0;
            break;
        case kwValLab:
            repeated = !col.ValLabs.empty();
            break;
        case kwText:
            repeated = isText;
            break;
        case kwBeep:
            repeated = (col.Flags & ffBeep) != 0;
            break;
        case kwRecId:
            repeated = (col.Flags & ffRecId) != 0;
            break;
        case kwConst:
            repeated = (col.Flags & ffConst) != 0;
            break;
        case kwUpdate:
            repeated = (col.Flags & ffUpdate) != 0;
            break;
        default:
            break;
    }
    if (repeated) throw ECompilerError(mcKeywordRepeated);
    ReadKeyword(k);
}

void TPXDictionary::ReadKeyword(int keyword) {
    using TStep = void (TPXDictionary::*)(int keyword);
    static const std::pair<int, TStep> Steps[] = {
        {kwLeft, &TPXDictionary::ReadLeftOrComment},
        {kwComment, &TPXDictionary::ReadLeftOrComment},
        {kwRight, &TPXDictionary::ReadRightOrVarLab},
        {kwVarLab, &TPXDictionary::ReadRightOrVarLab},
        {kwRange, &TPXDictionary::ReadRange},
        {kwLabel, &TPXDictionary::ReadLabel},
        {kwWidth, &TPXDictionary::ReadSize},
        {kwHeight, &TPXDictionary::ReadSize},
        {kwAuto, &TPXDictionary::ReadAuto},
        {kwText, &TPXDictionary::ReadTextFlag},
        {kwPage, &TPXDictionary::ReadFlag},
        {kwGroup, &TPXDictionary::ReadGroup},
        {kwWhen, &TPXDictionary::ReadFilter},
        {kwSignal, &TPXDictionary::ReadFilter},
        {kwBeep, &TPXDictionary::ReadFlag},
        {kwRecId, &TPXDictionary::ReadFlag},
        {kwConst, &TPXDictionary::ReadFlag},
        {kwUpdate, &TPXDictionary::ReadFlag},
        {kwRepeat, &TPXDictionary::ReadCount},
        {kwItem, &TPXDictionary::ReadCount},
        {kwVarName, &TPXDictionary::ReadVarName},
        {kwValLab, &TPXDictionary::ReadValLab},
    };
    for (const auto& [word, step] : Steps)
        if (word == keyword) return (this->*step)(keyword);
}

bool TPXDictionary::TokenIsRef() const {
    return !S->Compiler.TokenText.empty() && S->Compiler.TokenText[0] == '^';
}

TPXFieldInstruction* TPXDictionary::RefField() {
    // A comment has nothing but a text to give.
    TPXRefInstruction* target = FindLabel(S->Compiler.TokenText);
    if (target->Kind != ikField) throw ECompilerError(mcInvalidReference);
    return static_cast<TPXFieldInstruction*>(target);
}

TPXNumericInstruction* TPXDictionary::RefNumeric() {
    TPXRefInstruction* target = FindLabel(S->Compiler.TokenText);
    if (target->Kind != ikField || static_cast<TPXFieldInstruction*>(target)->IsText())
        throw ECompilerError(mcNumericLabelExpected);
    return static_cast<TPXNumericInstruction*>(target);
}

void TPXDictionary::ReadLeftOrComment(int keyword) {
    TPXCompiler& c = S->Compiler;
    c.ExpectEquals();
    c.ExpectTextOrRef();
    std::string value = c.TokenText;
    if (TokenIsRef()) {
        // A field's left text or a comment's text.
        TPXRefInstruction* target = FindLabel(c.TokenText);
        value = target->Kind == ikField ? static_cast<TPXFieldInstruction*>(target)->Left
                                        : static_cast<TPXCommentInstruction*>(target)->Text;
    }
    (keyword == kwLeft ? S->Collector.Left : S->Collector.Text) = std::move(value);
}

void TPXDictionary::ReadRightOrVarLab(int keyword) {
    TPXCompiler& c = S->Compiler;
    c.ExpectEquals();
    c.ExpectTextOrRef();
    std::string value;
    if (TokenIsRef()) {
        const TPXFieldInstruction* field = RefField();
        value = keyword == kwRight ? field->Right : field->VarLab;
    } else {
        value = c.TokenText;
    }
    (keyword == kwRight ? S->Collector.Right : S->Collector.VarLab) = std::move(value);
}

void TPXDictionary::ReadRange(int) {
    TPXInstruction& col = S->Collector;
    S->Compiler.ExpectEquals();
    if (S->Compiler.ReadRef())
        col.Range = std::make_unique<TNRangeList>(RefNumeric()->Range);
    else
        ReadNumRanges(col.Range);
    if (Options.WarnOverlap && col.Range) {
        // One warning for every interval that meets an earlier one.
        const int32_t overlapping = col.Range->OverlappingCount();
        for (int32_t j = 0; j < overlapping; ++j)
            AddWarning(mcOverlappingRanges);
    }
    if (!col.Range) col.Range = std::make_unique<TNRangeList>(TNRangeList::AnyValue());
}

void TPXDictionary::ReadLabel(int) {
    TPXCompiler& c = S->Compiler;
    TPXInstruction& col = S->Collector;
    c.ExpectEquals();
    c.ExpectIdent();
    col.Label = LabelOf(c.UpperText);
    S->LabelPos = c.Position;
    const char first = col.Label[0];
    const bool letter = first >= 'A' && first <= 'Z';
    if (!letter && !(Options.ExtUnderscore && first == '_'))
        throw ECompilerError(mcInvalidLabelCharacter);
    if (S->IsLabelled(col.Label)) throw ECompilerError(mcLabelDefined);
}

void TPXDictionary::ReadSize(int keyword) {
    TPXCompiler& c = S->Compiler;
    if (keyword == kwHeight && !Options.ExtHeight) throw ECompilerError(mcInstructionNotAllowed);
    c.ExpectEquals();
    c.ExpectNumberOrRef();
    int32_t value;
    if (TokenIsRef()) {
        const TPXFieldInstruction* field = RefField();
        value = keyword == kwWidth ? field->Width : field->Height;
    } else {
        value = TokenValue(c);
        if (value < 1) throw ECompilerError(keyword == kwWidth ? mcZeroWidth : mcZeroHeight);
        if (keyword == kwHeight && value == 1) AddHint(mcDefaultHeight);
    }
    (keyword == kwWidth ? S->Collector.Width : S->Collector.Height) = value;
}

void TPXDictionary::ReadTextFlag(int) {
    TPXInstruction& col = S->Collector;
    int value;
    if ((col.Filters && !col.Filters->empty()) || col.Range || !col.ValLabs.empty() ||
        (col.Flags & ffRecId) || StrToIntPX(col.Auto, value))
        throw ECompilerError(mcTextAttributeOnly);
    col.Flags |= ffText;
}

void TPXDictionary::ReadGroup(int) {
    TPXCompiler& c = S->Compiler;
    if (S->OpenGroup != nullptr) throw ECompilerError(mcGroupNotEnded);
    c.ExpectEquals();
    c.ExpectIdent();
    const std::string group = LabelOf(c.UpperText);
    if (S->IsLabelled(group)) throw ECompilerError(mcLabelDefined);
    S->Collector.Group = group;
    S->PendingRefs.Add({group, group, c.Position, c.Position});
}

void TPXDictionary::ReadCount(int keyword) {
    TPXCompiler& c = S->Compiler;
    c.ExpectEquals();
    c.ExpectNumber();
    const int32_t value = TokenValue(c);
    const bool isRepeat = keyword == kwRepeat;
    if (value < 1 || value > 999) throw ECompilerError(isRepeat ? mcInvalidRepeat : mcInvalidItem);
    if (value == 1 && (isRepeat ? Options.HintRepeat1 : Options.HintItem1))
        AddHint(isRepeat ? mcUnnecessaryRepeat : mcUnnecessaryItem);
    (isRepeat ? S->Collector.Repeat : S->Collector.Item) = value;
}

void TPXDictionary::ReadFlag(int keyword) {
    TPXInstruction& col = S->Collector;
    switch (keyword) {
        case kwPage:
            if (!S->FieldOnPage) throw ECompilerError(mcEmptyPage);
            S->FieldOnPage = false;
            break;
        case kwRecId:
            if (S->RecIdField != nullptr) throw ECompilerError(mcIdentifierDefined);
            col.Flags |= ffRecId;
            break;
        case kwBeep:
            col.Flags |= ffBeep;
            break;
        case kwConst:
            col.Flags |= ffConst;
            break;
        case kwUpdate:
            col.Flags |= ffUpdate;
            break;
        default:
            break;
    }
}

void TPXDictionary::ReadVarName(int) {
    TPXCompiler& c = S->Compiler;
    c.ExpectEquals();
    c.ExpectIdent();
    S->Collector.VarName = c.UpperText.substr(0, static_cast<size_t>(SPSSVarSize()));
}

void TPXDictionary::ReadValLab(int) {
    S->Compiler.ExpectEquals();
    if (S->Compiler.ReadRef())
        S->Collector.ValLabs = RefNumeric()->ValLabs;
    else
        ReadValueLabels(S->Collector.ValLabs);
}

void TPXDictionary::ReadAuto(int) {
    TPXCompiler& c = S->Compiler;
    TPXInstruction& col = S->Collector;
    c.ExpectEquals();
    c.NextToken();
    if (c.TokenKind == tkNumber) {
        col.Auto = c.TokenText;
    } else if (c.TokenKind == tkText) {
        if (c.TokenText.size() >= 2 && c.TokenText[1] == '\\' && c.TokenText.size() != 4)
            throw ECompilerError(mcInvalidAuto);
        col.Auto = c.TokenText;
    } else if (c.IsSymbol('^')) {
        c.NextToken();
        if (c.TokenKind != tkIdent) throw ECompilerError(mcIdentifierExpected);
        TPXRefInstruction* target = FindLabel(c.TokenText);
        if (target->Kind != ikField) throw ECompilerError(mcInvalidReference);
        const auto* field = static_cast<const TPXFieldInstruction*>(target);
        int n;
        const size_t width = static_cast<size_t>(field->Width);
        if (StrToIntPX(field->Auto, n)) {
            std::string digits = std::to_string(n < 0 ? -static_cast<int64_t>(n) : n);
            const size_t used = digits.size() + (n < 0 ? 1 : 0);
            if (used < width) digits.insert(0, width - used, '0');
            col.Auto = "'" + std::string(n < 0 ? "-" : "") + digits + "'";
        } else if (field->Auto.size() >= 2 && field->Auto[1] == '\\') {
            const char fill = field->Auto.size() >= 3 ? field->Auto[2] : ' ';
            col.Auto = "'" + std::string(width, fill) + "'";
        } else {
            col.Auto = field->Auto;
        }
    } else {
        throw ECompilerError(mcTextExpected);
    }
}

void TPXDictionary::ReadFilter(int keyword) {
    const uint8_t kind = keyword == kwWhen ? fkWhen : fkSignal;
    TPXCompiler& c = S->Compiler;
    TPXInstruction& col = S->Collector;
    TFilterItem filter;
    filter.Kind = kind;
    c.ExpectEquals();
    c.NextToken();
    std::unique_ptr<TNRangeList> values;
    ReadNumRanges(values);
    if (!values || values->Count() == 0) throw ECompilerError(mcEmptyRange);
    filter.Values = std::move(*values);
    c.NextToken();
    ReadLabelRanges(filter.Targets);
    if (filter.Targets.Count() == 0) throw ECompilerError(mcEmptyRange);
    // A filter may only govern fields that come after it.
    for (const TIRange& target : filter.Targets.Items)
        if (S->IsLabelled(target.FromLabel) || S->IsLabelled(target.ToLabel))
            throw ECompilerError(mcLabelDefined);
    if (!col.Filters) col.Filters = std::make_unique<TFilterList>();
    for (const TIRange& target : filter.Targets.Items)
        S->PendingRefs.Add(target);
    col.Filters->push_back(std::move(filter));
}

void TPXDictionary::ReadNumRanges(std::unique_ptr<TNRangeList>& target) {
    TPXCompiler& c = S->Compiler;
    if (!c.IsSymbol('[')) throw ECompilerError(mcOpenBracketExpected);
    c.NextToken();
    if (c.IsSymbol(']')) return;
    const bool created = !target;
    if (created) target = std::make_unique<TNRangeList>();
    try {
        for (;;) {
            if (c.TokenKind != tkNumber) throw ECompilerError(mcNumberExpected);
            const int32_t lo = TokenValue(c);
            int32_t hi = lo;
            c.NextToken();
            if (c.TokenKind != tkSymbol) throw ECompilerError(mcCloseBracketExpected);
            if (c.IsSymbol(',')) {
                c.NextToken();
                target->Add(lo, hi);
                continue;
            }
            if (c.IsSymbol(']')) {
                target->Add(lo, hi);
                return;
            }
            if (!c.IsSymbol(':')) throw ECompilerError(mcCloseBracketExpected);
            c.NextToken();
            if (c.TokenKind != tkNumber) throw ECompilerError(mcNumberExpected);
            hi = TokenValue(c);
            if (hi <= lo && Options.WarnBadRange) AddWarning(mcInvalidRange);
            c.NextToken();
            if (c.TokenKind != tkSymbol) throw ECompilerError(mcCloseBracketExpected);
            if (c.IsSymbol(']')) {
                target->Add(lo, hi);
                return;
            }
            if (!c.IsSymbol(',')) throw ECompilerError(mcCloseBracketExpected);
            c.NextToken();
            target->Add(lo, hi);
        }
    } catch (const ECompilerError&) {
        if (created && target->Count() == 0) target.reset();
        throw;
    }
}

void TPXDictionary::ReadLabelRanges(TIRangeList& target) {
    TPXCompiler& c = S->Compiler;
    if (!c.IsSymbol('[')) throw ECompilerError(mcOpenBracketExpected);
    c.NextToken();
    if (c.IsSymbol(']')) return;
    for (;;) {
        if (c.TokenKind != tkIdent) throw ECompilerError(mcIdentifierExpected);
        TIRange range;
        range.FromLabel = LabelOf(c.UpperText);
        range.FromPos = c.Position;
        range.ToLabel = range.FromLabel;
        range.ToPos = range.FromPos;
        c.NextToken();
        if (c.TokenKind != tkSymbol) throw ECompilerError(mcCloseBracketExpected);
        if (c.IsSymbol(',')) {
            c.NextToken();
            target.Add(range);
            continue;
        }
        if (c.IsSymbol(']')) {
            target.Add(range);
            return;
        }
        if (!c.IsSymbol(':')) throw ECompilerError(mcCloseBracketExpected);
        c.NextToken();
        if (c.TokenKind != tkIdent) throw ECompilerError(mcIdentifierExpected);
        range.ToLabel = LabelOf(c.UpperText);
        range.ToPos = c.Position;
        c.NextToken();
        if (c.TokenKind != tkSymbol) throw ECompilerError(mcCloseBracketExpected);
        if (c.IsSymbol(']')) {
            target.Add(range);
            return;
        }
        if (!c.IsSymbol(',')) throw ECompilerError(mcCloseBracketExpected);
        c.NextToken();
        target.Add(range);
    }
}

void TPXDictionary::ReadValueLabels(TPXValLabs& target) {
    TPXCompiler& c = S->Compiler;
    if (!c.IsSymbol('[')) throw ECompilerError(mcOpenBracketExpected);
    c.NextToken();
    if (c.IsSymbol(']')) return;
    do {
        if (c.TokenKind != tkNumber) throw ECompilerError(mcNumberExpected);
        TPXValLab pair;
        pair.Value = TokenValue(c);
        c.NextToken();
        if (c.TokenKind != tkText) throw ECompilerError(mcTextExpected);
        pair.Text = c.TokenText;
        target.push_back(std::move(pair));
        c.NextToken();
    } while (c.TokenKind != tkSymbol);
    if (!c.IsSymbol(']')) throw ECompilerError(mcCloseBracketExpected);
}

}  // namespace tallyra::core
