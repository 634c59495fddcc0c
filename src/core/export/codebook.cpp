// SPDX-License-Identifier: GPL-3.0-or-later
#include "codebook.h"

#include <algorithm>

#include "../data/tpxdatahandler.h"
#include "../data/tpxdatainfo.h"
#include "../script/tpxdictionary.h"
#include "../shell/cp1250.h"
#include "../shell/format.h"
#include "../shell/langtext.h"
#include "../spss/tvarcoll.h"

namespace tallyra::core {

namespace {

// Screen styles and print styles; the page needs nothing else.
const char* const Style = R"(
body { font-family: "DejaVu Sans", "Liberation Sans", Arial, sans-serif; font-size: 14px;
       color: #1a1a1a; margin: 2em auto; max-width: 60em; padding: 0 1em; line-height: 1.4; }
h1 { font-size: 1.8em; margin-bottom: 0.2em; }
.summary { color: #444; margin-top: 0; }
h2 { font-size: 1.3em; border-bottom: 2px solid #2a5d8f; padding-bottom: 0.2em; margin-top: 2em; }
.comment { font-style: italic; background: #f3f6f9; border-left: 4px solid #2a5d8f;
           padding: 0.4em 0.8em; }
.field { border: 1px solid #c8d3de; border-radius: 4px; padding: 0.6em 1em; margin: 1em 0;
         page-break-inside: avoid; break-inside: avoid; }
.field h3 { margin: 0 0 0.4em 0; font-size: 1.1em; }
.field h3 .name { font-family: "DejaVu Sans Mono", "Liberation Mono", monospace;
                  background: #2a5d8f; color: #fff; padding: 0.05em 0.4em; border-radius: 3px;
                  margin-right: 0.5em; }
table { border-collapse: collapse; margin: 0.4em 0; }
th, td { text-align: left; vertical-align: top; padding: 0.15em 0.8em 0.15em 0; }
table.props th { font-weight: normal; color: #555; white-space: nowrap; }
table.grid th, table.grid td { border-bottom: 1px solid #dde3ea; padding: 0.15em 0.8em;
                              white-space: nowrap; }
table.grid th { background: #eef2f6; font-weight: bold; white-space: nowrap; }
td.num { text-align: right; font-variant-numeric: tabular-nums; }
.chart { margin: 0.3em 0 0.4em 0; }
.empty { color: #777; font-style: italic; }
.note { color: #555; font-size: 0.9em; }
svg .bar { fill: #2a5d8f; }
svg text { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 11px; fill: #1a1a1a; }
@page { margin: 15mm; }
@media print {
  body { margin: 0; max-width: none; font-size: 10pt; }
  h2 { page-break-after: avoid; break-after: avoid; }
  .field { border-color: #999; }
  svg .bar { fill: #555; }
  table.grid th { background: none; }
}
)";

// A script text without its surrounding quotes, as UTF-8.
std::string Unquoted(const std::string& text) {
    if (text.size() >= 2 && (text.front() == '\'' || text.front() == '"') &&
        text.back() == text.front())
        return Cp1250ToUtf8(text.substr(1, text.size() - 2));
    return Cp1250ToUtf8(text);
}

std::string E(const std::string& utf8) {
    return HtmlEscape(utf8);
}

void Row(std::string& out, const std::string& title, const std::string& valueHtml) {
    out += "<tr><th>" + E(title) + "</th><td>" + valueHtml + "</td></tr>\n";
}

std::string TargetsText(const TIRangeList& targets) {
    std::string text;
    for (const TIRange& r : targets.Items) {
        if (!text.empty()) text += ", ";
        text += Cp1250ToUtf8(r.FromLabel);
        if (r.ToLabel != r.FromLabel) text += " \u2013 " + Cp1250ToUtf8(r.ToLabel);
    }
    return text;
}

std::string FilterText(const TFilterItem& filter) {
    const std::string values = filter.Values.ToText();
    const std::string targets = TargetsText(filter.Targets);
    if (filter.Kind == fkWhen)
        return FormatText(LangText("<EN>When the value is in %s, the fields %s are skipped and "
                                   "get their automatic values.<PL>Gdy wartość należy do %s, pola "
                                   "%s są pomijane i dostają wartości automatyczne."),
                          values.c_str(), targets.c_str());
    return FormatText(LangText("<EN>Signal: when the value is in %s, the fields %s are skipped "
                               "if every signal covering them agrees.<PL>Sygnał: gdy wartość "
                               "należy do %s, pola %s są pomijane, jeśli zgadzają się wszystkie "
                               "obejmujące je sygnały."),
                      values.c_str(), targets.c_str());
}

// A value with nothing visible in it is named instead of left blank.
std::string VisibleValue(const std::string& cp1250) {
    if (cp1250.empty()) return LangText("<EN>(empty)<PL>(puste)");
    if (cp1250.find_first_not_of(' ') == std::string::npos)
        return LangText("<EN>(blanks)<PL>(spacje)");
    return std::string();
}

// A horizontal bar per row of the frequency table.
std::string BarChart(const TFreqList& list, size_t rows) {
    int32_t most = 1;
    for (size_t i = 0; i < rows; ++i)
        most = std::max(most, list[i].Count);
    constexpr int LabelWidth = 180, BarWidth = 220, RowHeight = 18, CountWidth = 70;
    const int height = static_cast<int>(rows) * RowHeight + 4;
    std::string svg = Format(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" role=\"img\">\n",
        LabelWidth + BarWidth + CountWidth, height);
    for (size_t i = 0; i < rows; ++i) {
        std::string label = VisibleValue(list[i].Value);
        if (label.empty()) {
            // Trailing blanks of a text field would only push the cut earlier.
            const std::string& value = list[i].Value;
            label = Cp1250ToUtf8(value.substr(0, value.find_last_not_of(' ') + 1));
        }
        // Long labels are cut to what fits beside the bar (by characters).
        size_t pos = 0, chars = 0;
        while (pos < label.size() && chars < 24) {
            DecodeUtf8(label, pos);
            ++chars;
        }
        if (pos < label.size()) label = label.substr(0, pos) + "\u2026";
        const int y = static_cast<int>(i) * RowHeight + 2;
        const int w = std::max(1, static_cast<int>(int64_t{BarWidth} * list[i].Count / most));
        svg += Format("<text x=\"%d\" y=\"%d\" text-anchor=\"end\">", LabelWidth - 6, y + 12) +
               E(label) + "</text>";
        svg += Format("<rect class=\"bar\" x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\"/>",
                      LabelWidth, y + 2, w, RowHeight - 5);
        svg += Format("<text x=\"%d\" y=\"%d\">%d</text>\n", LabelWidth + w + 4, y + 12,
                      list[i].Count);
    }
    return svg + "</svg>";
}

void Frequencies(std::string& out, TPXDataHandler& data, int32_t field) {
    const TFreqList list = data.CountValues(field);
    if (list.empty()) {
        out += "<p class=\"note\">" +
               E(LangText("<EN>There are no records in the data for this field.<PL>W danych nie "
                          "ma ani jednego rekordu dla tego pola.")) +
               "</p>\n";
        return;
    }
    const std::vector<TFreqRow> rows = FreqRows(list);
    const size_t shown = std::min(rows.size(), static_cast<size_t>(CodebookMaxFreqRows));
    const TFreqRow titles = FreqTitles();
    out += "<table class=\"grid freq\"><tr>";
    for (size_t c = 0; c < 4; ++c)
        out += "<th>" + E(titles[c]) + "</th>";
    out += "</tr>\n";
    for (size_t i = 0; i < shown; ++i) {
        const std::string mark = VisibleValue(list[i].Value);
        out += "<tr><td>" +
               (mark.empty() ? E(Cp1250ToUtf8(rows[i][0]))
                             : "<span class=\"empty\">" + E(mark) + "</span>") +
               "</td>";
        for (size_t c = 1; c < 4; ++c)
            out += "<td class=\"num\">" + E(rows[i][c]) + "</td>";
        out += "</tr>\n";
    }
    // The chart below its table: beside it a wide table would push it off the page.
    out += "</table>\n<div class=\"chart\">" + BarChart(list, shown) + "</div>\n";
    if (shown < rows.size())
        out += "<p class=\"note\">" +
               E(FormatText(LangText("<EN>%d more values are not shown.<PL>Nie pokazano "
                                     "%d kolejnych wartości."),
                            static_cast<int>(rows.size() - shown))) +
               "</p>\n";
}

}  // namespace

std::string HtmlEscape(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string CodebookHtml(const TPXDictionary& script, const TVarColl& vars,
                         const std::string& scriptName, TPXDataHandler* data,
                         const std::string& dataName) {
    const TPXInstructionList& list = script.Instructions;
    // Group membership: a field that opens a group names the label of its
    // last field; every field from the first to that one belongs to it.
    std::vector<std::string> groupOf(static_cast<size_t>(list.Count()));
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TPXFieldInstruction* first = list.Field(i);
        if (!first || first->Group.empty()) continue;
        for (int32_t j = i; j < list.Count(); ++j) {
            const TPXFieldInstruction* f = list.Field(j);
            if (!f) continue;
            if (groupOf[static_cast<size_t>(j)].empty())
                groupOf[static_cast<size_t>(j)] =
                    Cp1250ToUtf8(first->Label.empty() ? first->Group : first->Label) + " \u2013 " +
                    Cp1250ToUtf8(first->Group);
            if (f->Label == first->Group) break;
        }
    }

    int32_t fieldCount = 0;
    for (int32_t i = 0; i < list.Count(); ++i)
        if (list.Field(i)) ++fieldCount;
    const std::string lang = CurrentLanguage() == LangPolish ? "pl" : "en";
    const std::string title = LangText("<EN>Codebook<PL>Książka kodów");
    std::string out = "<!DOCTYPE html>\n<html lang=\"" + lang +
                      "\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + E(title) + ": " +
                      E(scriptName) + "</title>\n<style>" + Style + "</style>\n</head>\n<body>\n";
    out += "<h1>" + E(title) + "</h1>\n<p class=\"summary\">";
    out += E(FormatText(LangText("<EN>Script %s: %d pages, %d fields, %d characters per record."
                                 "<PL>Skrypt %s: stron %d, pól %d, znaków w rekordzie %d."),
                        scriptName.c_str(), script.PageCount, fieldCount, list.LineLength() - 2));
    if (data)
        out += "<br>" + E(FormatText(LangText("<EN>Data %s: %d full records.<PL>Dane %s: "
                                              "pełnych rekordów %d."),
                                     dataName.c_str(), data->FullCount()));
    out += "</p>\n";

    int32_t page = 1;
    int32_t fieldIndex = 0;
    bool pageOpen = false;
    const auto openPage = [&] {
        if (pageOpen) return;
        out += "<section>\n<h2>" + E(FormatText(LangText("<EN>Page %d<PL>Strona %d"), page)) +
               "</h2>\n";
        pageOpen = true;
    };
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TPXGenericInstruction* instruction = list.Get(i);
        if (instruction->Kind == ikPage) {
            if (pageOpen) out += "</section>\n";
            pageOpen = false;
            ++page;
            continue;
        }
        openPage();
        if (instruction->Kind == ikComment) {
            const auto* comment = static_cast<const TPXCommentInstruction*>(instruction);
            out += "<p class=\"comment\">" + E(Unquoted(comment->Text)) + "</p>\n";
            continue;
        }
        const auto& f = static_cast<const TPXFieldInstruction&>(*instruction);
        const TVar* v = fieldIndex < vars.Count() ? vars.Get(fieldIndex) : nullptr;
        ++fieldIndex;
        const std::string name = v ? Cp1250ToUtf8(v->Name) : std::string();
        out += "<article class=\"field\" id=\"" + E(name) + "\">\n<h3><span class=\"name\">" +
               E(name) + "</span>" + E(v ? Cp1250ToUtf8(v->Label) : std::string()) + "</h3>\n";
        out += "<table class=\"props\">\n";
        if (!f.Left.empty()) Row(out, LangText("<EN>Question<PL>Pytanie"), E(Unquoted(f.Left)));
        if (!f.Right.empty())
            Row(out, LangText("<EN>Text on the right<PL>Tekst z prawej"), E(Unquoted(f.Right)));
        if (!f.Label.empty()) Row(out, LangText("<EN>Label<PL>Etykieta"), E(Cp1250ToUtf8(f.Label)));
        Row(out, LangText("<EN>Columns<PL>Kolumny"),
            f.Width == 1
                ? std::to_string(f.Column)
                : std::to_string(f.Column) + "\u2013" + std::to_string(f.Column + f.Width - 1));
        Row(out, LangText("<EN>Width<PL>Szerokość"), std::to_string(f.Width));
        Row(out, LangText("<EN>Type<PL>Typ"),
            E(LangText(f.IsText() ? "<EN>text<PL>tekstowe" : "<EN>numeric<PL>numeryczne")));
        const auto* numeric = f.IsText() ? nullptr : static_cast<const TPXNumericInstruction*>(&f);
        if (numeric)
            Row(out, LangText("<EN>Valid values<PL>Dopuszczalne wartości"),
                E(numeric->Range.ToText()));
        if (!f.Auto.empty())
            Row(out, LangText("<EN>Automatic value<PL>Wartość automatyczna"),
                E(Cp1250ToUtf8(f.Auto)));
        std::vector<std::string> marks;
        if (f.Flags & ffRecId)
            marks.push_back(LangText("<EN>record identifier<PL>identyfikator rekordu"));
        if (f.Flags & ffConst) marks.push_back(LangText("<EN>constant field<PL>pole stałe"));
        if (f.Flags & ffBeep) marks.push_back(LangText("<EN>beeps<PL>sygnał dźwiękowy"));
        if (f.Flags & ffUpdate) marks.push_back(LangText("<EN>update field<PL>pole aktualizacji"));
        if (!marks.empty()) {
            std::string text;
            for (const std::string& mark : marks)
                text += (text.empty() ? "" : ", ") + mark;
            Row(out, LangText("<EN>Marks<PL>Oznaczenia"), E(text));
        }
        if (numeric && numeric->Filters)
            for (const TFilterItem& filter : *numeric->Filters)
                Row(out, LangText("<EN>Filter<PL>Filtr"), E(FilterText(filter)));
        if (!groupOf[static_cast<size_t>(i)].empty())
            Row(out, LangText("<EN>Group<PL>Grupa"),
                E(FormatText(LangText("<EN>%s (answering \"no more answers\" fills the rest of the "
                                      "group automatically)<PL>%s (odpowiedź \"koniec odpowiedzi\" "
                                      "wypełnia resztę grupy automatycznie)"),
                             groupOf[static_cast<size_t>(i)].c_str())));
        out += "</table>\n";
        if (numeric && !numeric->ValLabs.empty()) {
            out += "<table class=\"grid\"><tr><th>" + E(LangText("<EN>Code<PL>Kod")) + "</th><th>" +
                   E(LangText("<EN>Value label<PL>Etykieta wartości")) + "</th></tr>\n";
            for (const TPXValLab& label : numeric->ValLabs)
                out += "<tr><td class=\"num\">" + std::to_string(label.Value) + "</td><td>" +
                       E(Unquoted(label.Text)) + "</td></tr>\n";
            out += "</table>\n";
        }
        if (data) Frequencies(out, *data, i);
        out += "</article>\n";
    }
    if (pageOpen) out += "</section>\n";
    out += "</body>\n</html>\n";
    return out;
}

}  // namespace tallyra::core
