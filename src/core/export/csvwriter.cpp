// SPDX-License-Identifier: GPL-3.0-or-later
#include "csvwriter.h"

#include <charconv>

#include "../shell/cp1250.h"
#include "../shell/fdio.h"

namespace tallyra::core {

namespace {

constexpr size_t FlushSize = size_t{1} << 20;

class TCsvWriter : public TDataSetWriter {
public:
    TCsvWriter(int fd, bool valueLabels) : Fd(fd), ValueLabels(valueLabels) {}

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
                    Labels[i].push_back({label.Value, Cp1250ToUtf8(label.Text)});
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
        Field(ascii ? cp1250 : std::string_view(Converted = Cp1250ToUtf8(cp1250)));
    }
    void EndRow() override {
        Out += "\r\n";
        Column = 0;
        if (Out.size() >= FlushSize) Flush();
    }
    void Finish() override { Flush(); }

private:
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
        WriteFull(Fd, Out.data(), Out.size());
        Out.clear();
    }

    int Fd;
    bool ValueLabels;
    std::vector<std::vector<std::pair<double, std::string>>> Labels;
    std::string Out;
    std::string Converted;
    size_t Column = 0;
};

}  // namespace

std::unique_ptr<TDataSetWriter> CreateCsvWriter(int fd, bool valueLabels) {
    return std::make_unique<TCsvWriter>(fd, valueLabels);
}

}  // namespace tallyra::core
