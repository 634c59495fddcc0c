// SPDX-License-Identifier: GPL-3.0-or-later
// The HTML codebook: what it says about each field, that its frequency
// tables hold the counts of the frequency dialog, and that the page needs
// nothing from outside.
#include "export/codebook.h"

#include <regex>

#include <gtest/gtest.h>

#include "../spss/testutil.h"
#include "data/tpxdatahandler.h"
#include "data/tpxdatainfo.h"
#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "shell/cp1250.h"
#include "shell/langtext.h"
#include "spss/tvarcoll.h"

namespace tallyra::core {
namespace {

using testing::TScratch;
using testing::WriteAll;

// A script with a comment, two pages, a filter of each kind, a group and
// value labels, and data for it.
const char* const Script =
    "comment='Ankieta <test> & \"cudzys\xB3\xF3w\"'*\r\n"
    "left='P\xB3"
    "e\xE6' varname=plec width=1 range=[1:2] vallab=[1 'm\xEA\xBF"
    "czyzna' 2 'kobieta'] auto=1 "
    "when=[2][q1:q2] signal=[1][q3]*\r\n"
    "page*\r\n"
    "left='Pierwsza' label=q1 width=1 range=[0:9] auto=0 group=q2*\r\n"
    "left='Druga' label=q2 width=1 range=[0:9] auto=0*\r\n"
    "left='Uwagi' label=q3 text width=4 auto='\\ '*\r\n";
const char* const Data = "134Ab  \r\n200    \r\n1#1ab  \r\n134****\r\n";

class Codebook : public ::testing::Test {
protected:
    void SetUp() override {
        SetCurrentLanguage(LangEnglish);
        WriteAll(Dir / "s.slo", Script);
        WriteAll(Dir / "d.dat", Data);
        Dictionary = std::make_unique<TPXDictionary>(Dir / "s.slo", Messages);
        ASSERT_EQ(Messages.CountKinds({mkError}), 0) << Messages.Count();
        Vars = std::make_unique<TVarColl>(Dir / "s.slo", 8);
        Store = TPXDataHandler::CreateForFile(*Dictionary, false, nullptr, Dir / "d.dat");
    }
    void TearDown() override { SetCurrentLanguage(LangEnglish); }
    std::string Page(bool withData) {
        return CodebookHtml(*Dictionary, *Vars, "s.slo", withData ? Store.get() : nullptr, "d.dat");
    }
    TScratch Dir;
    TPXMessageList Messages;
    std::unique_ptr<TPXDictionary> Dictionary;
    std::unique_ptr<TVarColl> Vars;
    std::unique_ptr<TPXDataHandler> Store;
};

// How often `pattern` occurs in `html`.
long Occurrences(const std::string& html, const std::string& pattern) {
    const std::regex re(pattern);
    return std::distance(std::sregex_iterator(html.begin(), html.end(), re),
                         std::sregex_iterator());
}

// The cells of every frequency table of the page, tags removed.
std::vector<std::vector<TFreqRow>> FreqTables(const std::string& html) {
    std::vector<std::vector<TFreqRow>> tables;
    const std::regex table("<table class=\"grid freq\">([\\s\\S]*?)</table>");
    const std::regex row("<tr>((?:<td[^>]*>[\\s\\S]*?</td>){4})</tr>");
    const std::regex cell("<td[^>]*>([\\s\\S]*?)</td>");
    const std::regex tag("<[^>]*>");
    for (std::sregex_iterator t(html.begin(), html.end(), table), end; t != end; ++t) {
        tables.emplace_back();
        const std::string body = (*t)[1];
        for (std::sregex_iterator r(body.begin(), body.end(), row); r != end; ++r) {
            const std::string cells = (*r)[1];
            TFreqRow values;
            size_t k = 0;
            for (std::sregex_iterator c(cells.begin(), cells.end(), cell); c != end && k < 4;
                 ++c, ++k)
                values[k] = std::regex_replace(std::string((*c)[1]), tag, "");
            tables.back().push_back(values);
        }
    }
    return tables;
}

TEST_F(Codebook, FrequencyTablesHoldTheCountsOfTheFrequencyDialog) {
    const std::string html = Page(true);
    const auto tables = FreqTables(html);
    ASSERT_EQ(tables.size(), 4u) << html;
    int32_t table = 0;
    for (int32_t i = 0; i < Dictionary->Instructions.Count(); ++i) {
        if (!Dictionary->Instructions.Field(i)) continue;
        std::vector<TFreqRow> expected = FreqRows(Store->CountValues(i));
        for (TFreqRow& row : expected) {
            row[0] = Cp1250ToUtf8(row[0]);
            if (row[0].empty()) row[0] = "(empty)";
            if (row[0].find_first_not_of(' ') == std::string::npos) row[0] = "(blanks)";
            row[0] = HtmlEscape(row[0]);
        }
        EXPECT_EQ(tables[size_t(table++)], expected) << "field " << i;
    }
    // The spot checks a reader would make.
    EXPECT_EQ(tables[0][0], (TFreqRow{"1 (mężczyzna)", "3", "75.0%", "75.0%"}));
    EXPECT_EQ(tables[1][0], (TFreqRow{"#", "1", "25.0%", "25.0%"}));
    EXPECT_EQ(tables[3][0], (TFreqRow{"(empty)", "1", "25.0%", "25.0%"}));
    EXPECT_EQ(tables[3][1], (TFreqRow{"(blanks)", "1", "25.0%", "50.0%"}));
    EXPECT_EQ(tables[3][2], (TFreqRow{"Ab  ", "2", "50.0%", "100.0%"}));
    // One bar per row, drawn inline.
    EXPECT_EQ(Occurrences(html, "<rect class=\"bar\""), 2 + 3 + 3 + 3);
}

TEST_F(Codebook, DescribesPagesCommentsFieldsFiltersAndGroups) {
    const std::string html = Page(false);
    EXPECT_EQ(FreqTables(html).size(), 0u);
    for (const char* part : {
             "<html lang=\"en\">",
             "<p class=\"comment\">Ankieta &lt;test&gt; &amp; &quot;cudzysłów&quot;</p>",
             "<h2>Page 1</h2>",
             "<h2>Page 2</h2>",
             "<span class=\"name\">PLEC</span>Płeć</h3>",
             "<tr><th>Columns</th><td>1</td></tr>",
             "<tr><th>Columns</th><td>4–7</td></tr>",
             "<tr><th>Valid values</th><td>[1:2]</td></tr>",
             "When the value is in [2], the fields Q1 – Q2 are skipped",
             "Signal: when the value is in [1], the fields Q3 are skipped",
             "<tr><th>Group</th><td>Q1 – Q2 (answering",
             "<tr><td class=\"num\">1</td><td>mężczyzna</td></tr>",
             "<tr><th>Type</th><td>text</td></tr>",
         })
        EXPECT_NE(html.find(part), std::string::npos) << part;
    // Both group fields say so; the field after the group does not.
    EXPECT_EQ(Occurrences(html, "<th>Group</th>"), 2);
    // Self-contained: no scripts, no outside resources.
    for (const char* absent : {"<script", "src=", "<link", "href=", "@import", "url("})
        EXPECT_EQ(html.find(absent), std::string::npos) << absent;

    SetCurrentLanguage(LangPolish);
    const std::string polish = Page(true);
    for (const char* part : {"<html lang=\"pl\">", "<h1>Książka kodów</h1>", "<h2>Strona 2</h2>",
                             "<th>Liczebność</th>", "(puste)", "(spacje)",
                             "Gdy wartość należy do [2], pola Q1 – Q2 są pomijane"})
        EXPECT_NE(polish.find(part), std::string::npos) << part;
}

}  // namespace
}  // namespace tallyra::core
