// SPDX-License-Identifier: GPL-3.0-or-later
#include "readstatwriter.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <new>
#include <string>
#include <unistd.h>

#include <readstat.h>

#include "../shell/errors.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace {

// The longest value label a system file holds (bytes), the longest variable
// label ReadStat keeps, and the longest variable label of a Stata file;
// ReadStat would cut longer ones anywhere, also inside a UTF-8 character.
constexpr size_t SavValueLabelBytes = 120;
constexpr size_t SavVariableLabelBytes = 1023;
constexpr size_t DtaVariableLabelBytes = 320;
// The widest strings of the portable format and of Stata's fixed strings.
constexpr int32_t PorMaxString = 255;
constexpr int32_t DtaMaxString = 2045;
// SPSS writes numbers with at most 40 characters.
constexpr int32_t MaxNumberFormat = 40;
constexpr size_t FlushSize = size_t{1} << 20;

// The text cut to at most maxBytes bytes, at a character boundary.
std::string CutUtf8(std::string text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

[[noreturn]] void Fail(const std::string& detail) {
    throw EGeneric(FormatText(LangText("<EN>Cannot write the data set: %s."
                                       "<PL>Nie można zapisać zbioru danych: %s."),
                              detail.c_str()));
}

class TReadStatWriter : public TDataSetWriter {
public:
    TReadStatWriter(TDataSetFormat format, int fd)
        : Format(format), Encoding(DataSetEncoding(format)), Fd(fd) {
        Writer = readstat_writer_init();
        if (Writer == nullptr) throw std::bad_alloc();
        readstat_set_data_writer(Writer, &TReadStatWriter::WriteBytes);
        readstat_writer_set_error_handler(Writer, &TReadStatWriter::OnError);
    }
    ~TReadStatWriter() override { readstat_writer_free(Writer); }

    void Begin(const std::vector<TDataSetColumn>& columns, int64_t rows) override {
        if (rows > INT32_MAX) Fail(LangText("<EN>too many records<PL>zbyt wiele rekordów"));
        const bool spss = Format != TDataSetFormat::Dta;
        for (const TDataSetColumn& column : columns) {
            // ReadStat takes longer Stata names, which Stata itself refuses.
            if (!spss && column.Name.size() > 32)
                Fail(FormatText(LangText("<EN>variable %s: a Stata name has at most 32 "
                                         "characters<PL>zmienna %s: nazwa w formacie Stata ma "
                                         "najwyżej 32 znaki"),
                                column.Name.c_str()));
            // Wider strings make files the readers refuse (the portable
            // format) or fail half-way (Stata).
            const int32_t maxString = Format == TDataSetFormat::Por   ? PorMaxString
                                      : Format == TDataSetFormat::Dta ? DtaMaxString
                                                                      : INT32_MAX;
            if (column.IsString && column.StorageWidth > maxString)
                Fail(FormatText(LangText("<EN>variable %s: this format holds strings of at most "
                                         "%d bytes (leave the field out with --fields)<PL>zmienna "
                                         "%s: ten format mieści napisy o długości najwyżej %d "
                                         "bajtów (pomiń pole opcją --fields)"),
                                column.Name.c_str(), maxString));
            readstat_label_set_t* labels = nullptr;
            if (!column.IsString && !column.ValueLabels.empty()) {
                // Stata names its label sets; the variable's own name is one
                // that is valid there.
                labels = readstat_add_label_set(Writer, READSTAT_TYPE_DOUBLE, column.Name.c_str());
                for (const TVal& label : column.ValueLabels) {
                    std::string text = DataSetText(Encoding, label.Text);
                    if (spss) text = CutUtf8(std::move(text), SavValueLabelBytes);
                    readstat_label_double_value(labels, label.Value, text.c_str());
                }
            }
            readstat_variable_t* v = readstat_add_variable(
                Writer, column.Name.c_str(),
                column.IsString ? READSTAT_TYPE_STRING : READSTAT_TYPE_DOUBLE,
                column.IsString ? size_t(std::max(1, column.StorageWidth)) : 0);
            if (v == nullptr) throw std::bad_alloc();
            if (!column.Label.empty()) {
                std::string label = DataSetText(Encoding, column.Label);
                label =
                    CutUtf8(std::move(label), spss ? SavVariableLabelBytes : DtaVariableLabelBytes);
                readstat_variable_set_label(v, label.c_str());
            }
            const std::string width =
                std::to_string(column.IsString ? std::max(1, column.StorageWidth)
                                               : std::clamp(column.Width, 1, MaxNumberFormat));
            if (spss)
                readstat_variable_set_format(
                    v, ((column.IsString ? "A" : "F") + width + (column.IsString ? "" : ".0"))
                           .c_str());
            else
                readstat_variable_set_format(
                    v, ("%" + width + (column.IsString ? "s" : ".0f")).c_str());
            if (labels != nullptr) readstat_variable_set_label_set(v, labels);
            // Stata has no user-missing values: the codes stay plain numbers there.
            if (spss && !column.IsString && column.MissingCount > 0) {
                size_t first = 0;
                if (column.MissingRange) {
                    readstat_variable_add_missing_double_range(v, column.MissingValues[0],
                                                               column.MissingValues[1]);
                    first = 2;
                }
                for (size_t k = first; k < column.MissingCount; ++k)
                    readstat_variable_add_missing_double_value(v, column.MissingValues[k]);
            }
            Variables.push_back(v);
            Widths.push_back(size_t(std::max(1, column.StorageWidth)));
        }
        if (Format == TDataSetFormat::Zsav)
            Check(readstat_writer_set_compression(Writer, READSTAT_COMPRESS_BINARY));
        else if (Format == TDataSetFormat::Sav)
            Check(readstat_writer_set_compression(Writer, READSTAT_COMPRESS_ROWS));
        const long count = static_cast<long>(rows);
        switch (Format) {
            case TDataSetFormat::Sav:
            case TDataSetFormat::Zsav:
                Check(readstat_begin_writing_sav(Writer, this, count));
                break;
            case TDataSetFormat::Por:
                Check(readstat_begin_writing_por(Writer, this, count));
                break;
            default:
                Check(readstat_writer_set_file_format_version(Writer, 118));
                Check(readstat_begin_writing_dta(Writer, this, count));
                break;
        }
        Check(readstat_validate_metadata(Writer));
        for (size_t i = 0; i < Variables.size(); ++i) {
            const readstat_error_t e = readstat_validate_variable(Writer, Variables[i]);
            if (e != READSTAT_OK)
                Fail(FormatText(LangText("<EN>variable %s: %s<PL>zmienna %s: %s"),
                                columns[i].Name.c_str(), readstat_error_message(e)));
        }
    }
    void Number(double value) override {
        StartRowIfNeeded();
        Check(readstat_insert_double_value(Writer, Variables[Column++], value));
    }
    void Missing() override {
        StartRowIfNeeded();
        Check(readstat_insert_missing_value(Writer, Variables[Column++]));
    }
    void Text(std::string_view cp1250) override {
        StartRowIfNeeded();
        Converted = DataSetText(Encoding, cp1250);
        // ReadStat's portable writer sends a short value with the stale tail
        // of the previous one (and garbage for an empty one); blanks to the
        // full width, which SPSS ignores at the end of strings, avoid that.
        if (Format == TDataSetFormat::Por) Converted.resize(Widths[Column], ' ');
        Check(readstat_insert_string_value(Writer, Variables[Column++], Converted.c_str()));
    }
    void EndRow() override {
        StartRowIfNeeded();
        Check(readstat_end_row(Writer));
        Column = 0;
        RowOpen = false;
    }
    void Finish() override {
        Check(readstat_end_writing(Writer));
        if (!Flush()) RaiseSystemError(WriteErrno);
    }

private:
    // ReadStat wants begin_row before the first cell of a row.
    void StartRowIfNeeded() {
        if (RowOpen) return;
        Check(readstat_begin_row(Writer));
        RowOpen = true;
    }

    // ReadStat hands over a few bytes at a time; they gather in one buffer
    // that goes to the file in large writes.
    static ssize_t WriteBytes(const void* data, size_t length, void* context) {
        auto* self = static_cast<TReadStatWriter*>(context);
        self->Pending.append(static_cast<const char*>(data), length);
        if (self->Pending.size() >= FlushSize && !self->Flush()) return -1;
        return static_cast<ssize_t>(length);
    }
    // Writes the buffer out; false (with WriteErrno set) on failure.
    bool Flush() {
        const char* p = Pending.data();
        size_t left = Pending.size();
        while (left > 0) {
            const ssize_t n = ::write(Fd, p, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                WriteErrno = n < 0 ? errno : EIO;
                return false;
            }
            p += n;
            left -= static_cast<size_t>(n);
        }
        Pending.clear();
        return true;
    }
    static void OnError(const char* message, void* context) {
        auto* self = static_cast<TReadStatWriter*>(context);
        if (self != nullptr && message != nullptr) self->LastMessage = message;
    }
    void Check(readstat_error_t e) {
        if (e == READSTAT_OK) return;
        if (WriteErrno != 0) RaiseSystemError(WriteErrno);
        std::string detail = readstat_error_message(e);
        if (!LastMessage.empty()) detail += " (" + LastMessage + ")";
        Fail(detail);
    }

    TDataSetFormat Format;
    TDataSetEncoding Encoding;
    int Fd;
    readstat_writer_t* Writer = nullptr;
    std::vector<readstat_variable_t*> Variables;
    std::vector<size_t> Widths;
    std::string Converted;
    std::string Pending;
    std::string LastMessage;
    int WriteErrno = 0;
    size_t Column = 0;
    bool RowOpen = false;
};

}  // namespace

std::unique_ptr<TDataSetWriter> CreateReadStatWriter(TDataSetFormat format, int fd) {
    return std::make_unique<TReadStatWriter>(format, fd);
}

}  // namespace tallyra::core
