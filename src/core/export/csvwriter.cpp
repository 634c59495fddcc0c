// SPDX-License-Identifier: GPL-3.0-or-later
#include "csvwriter.h"

#include <charconv>

#include "../shell/cp1250.h"
#include "../shell/errors.h"
#include "../shell/fdio.h"
#include "../shell/ioerror.h"

namespace tallyra::core {

namespace {

constexpr size_t FlushSize = size_t{1} << 20;

bool IsFormulaStart(char c) {
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

// A sign, digits, at most one decimal point or comma between digits.
bool IsPlainNumber(std::string_view text) {
    size_t i = text.size() > 1 && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if ((c == '.' || c == ',') && digits && !point && i + 1 < text.size()) {
            point = true;
        } else {
            return false;
        }
    }
    return digits;
}

class TCsvWriter : public TDataSetWriter {
public:
    TCsvWriter(int fd, const TDataSetWriterOptions& options)
        : Fd(fd),
          ValueLabels(options.CsvValueLabels),
          Raw(options.CsvRaw),
          OutputName(options.OutputName) {}

    void Begin(const std::vector<TDataSetColumn>& columns, int64_t) override {
        Out.reserve(FlushSize + 4096);
        Out += "\xEF\xBB\xBF";
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i > 0) Out += ',';
            Field(Cp1250ToUtf8(columns[i].Name));
        }
        Out += "\r\n";
        // Labels are converted once, not per cell.
        Labels.assign(columns.size(), {});
        if (ValueLabels)
            for (size_t i = 0; i < columns.size(); ++i)
                for (const TVal& label : columns[i].ValueLabels)
                    Labels[i].push_back({label.Value, Cell(Cp1250ToUtf8(label.Text))});
    }
    void Number(double value) override {
        Separate();
        if (ValueLabels)
            for (const auto& [labelled, text] : Labels[Column - 1])
                if (labelled == value) {
                    Field(text);
                    return;
                }
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        Out.append(buffer, result.ptr);
    }
    void Missing() override { Separate(); }
    void Text(std::string_view cp1250) override {
        Separate();
        // Pure ASCII needs no conversion: the common case stays cheap.
        bool ascii = true;
        for (const char c : cp1250)
            if (static_cast<unsigned char>(c) >= 0x80) {
                ascii = false;
                break;
            }
        std::string_view text = ascii ? cp1250 : std::string_view(Converted = Cp1250ToUtf8(cp1250));
        if (!Raw && !text.empty() && (IsFormulaStart(text[0]) || text[0] == '\'') &&
            CsvLooksLikeFormula(text))
            text = Guarded = "'" + std::string(text);
        Field(text);
    }
    void EndRow() override {
        Out += "\r\n";
        Column = 0;
        if (Out.size() >= FlushSize) Flush();
    }
    void Finish() override { Flush(); }

private:
    std::string Cell(std::string text) const { return Raw ? text : CsvSafeText(text); }
    void Separate() {
        if (Column++ > 0) Out += ',';
    }
    void Field(std::string_view text) {
        if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
            Out.append(text);
            return;
        }
        Out += '"';
        for (const char c : text) {
            if (c == '"') Out += '"';
            Out += c;
        }
        Out += '"';
    }
    void Flush() {
        try {
            WriteFull(Fd, Out.data(), Out.size());
        } catch (const EGeneric& e) {
            if (OutputName.empty()) throw;
            throw EGeneric(FileErrorText(OutputName, e.Text()));
        }
        Out.clear();
    }

    int Fd;
    bool ValueLabels;
    bool Raw;
    std::string OutputName;
    std::vector<std::vector<std::pair<double, std::string>>> Labels;
    std::string Out;
    std::string Converted;
    std::string Guarded;
    size_t Column = 0;
};

}  // namespace

bool CsvLooksLikeFormula(std::string_view text) {
    const size_t start = text.find_first_not_of('\'');
    if (start == std::string_view::npos || !IsFormulaStart(text[start])) return false;
    return start > 0 || !IsPlainNumber(text);
}

std::string CsvSafeText(std::string_view text) {
    return CsvLooksLikeFormula(text) ? "'" + std::string(text) : std::string(text);
}

std::unique_ptr<TDataSetWriter> CreateCsvWriter(int fd, const TDataSetWriterOptions& options) {
    return std::make_unique<TCsvWriter>(fd, options);
}

}  // namespace tallyra::core
