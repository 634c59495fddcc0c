// SPDX-License-Identifier: GPL-3.0-or-later
#include "readstatwriter.h"

#include <algorithm>
#include <climits>
#include <new>
#include <string>

#include <readstat.h>

#include "../shell/errors.h"
#include "../shell/fdio.h"
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
    TReadStatWriter(TDataSetFormat format, int fd, const TDataSetWriterOptions& options)
        : Format(format), Encoding(DataSetEncoding(format)), Fd(fd), Options(options) {
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
            // A system file's string holds 32767 bytes; a wider field is
            // declared that wide when its values fit (or are cut to fit).
            size_t width = size_t(std::max(1, column.StorageWidth));
            if (spss && column.IsString && column.StorageWidth > SavMaxString) {
                if (column.LongestBytes > SavMaxString && !Options.CutLongTexts)
                    Fail(FormatText(
                        LangText("<EN>variable %s: a value takes %d bytes in UTF-8 (a Polish "
                                 "letter takes two), more than the %d bytes a system file's "
                                 "string holds (leave the field out with --fields, or cut such "
                                 "values with --cut-texts)<PL>zmienna %s: wartość zajmuje %d "
                                 "bajtów w UTF-8 (polska litera zajmuje dwa), więcej niż %d "
                                 "bajtów, które mieści napis pliku systemowego (pomiń pole "
                                 "opcją --fields albo przytnij takie wartości opcją "
                                 "--cut-texts)"),
                        column.Name.c_str(), column.LongestBytes, SavMaxString));
                width = SavMaxString;
            }
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
            readstat_variable_t* v =
                readstat_add_variable(Writer, column.Name.c_str(),
                                      column.IsString ? READSTAT_TYPE_STRING : READSTAT_TYPE_DOUBLE,
                                      column.IsString ? width : 0);
            if (v == nullptr) throw std::bad_alloc();
            if (!column.Label.empty()) {
                std::string label = DataSetText(Encoding, column.Label);
                label =
                    CutUtf8(std::move(label), spss ? SavVariableLabelBytes : DtaVariableLabelBytes);
                readstat_variable_set_label(v, label.c_str());
            }
            const std::string shown = std::to_string(
                column.IsString ? width : size_t(std::clamp(column.Width, 1, MaxNumberFormat)));
            if (spss)
                readstat_variable_set_format(
                    v, ((column.IsString ? "A" : "F") + shown + (column.IsString ? "" : ".0"))
                           .c_str());
            else
                readstat_variable_set_format(
                    v, ("%" + shown + (column.IsString ? "s" : ".0f")).c_str());
            // Codes with value labels name categories; other numbers are
            // measurements (nothing says which categories are ordered).
            readstat_variable_set_measure(v, column.IsString || !column.ValueLabels.empty()
                                                 ? READSTAT_MEASURE_NOMINAL
                                                 : READSTAT_MEASURE_SCALE);
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
            Widths.push_back(width);
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
        if (Converted.size() > Widths[Column]) {
            Converted = CutUtf8(std::move(Converted), Widths[Column]);
            ++Cut;
        }
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
        if (!Flush()) WriteFailed();
    }
    int64_t TextsCut() const override { return Cut; }

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
        // Nothing may be thrown through ReadStat: running out of memory is
        // raised again once it has returned.
        try {
            self->Pending.append(static_cast<const char*>(data), length);
        } catch (const std::bad_alloc&) {
            self->OutOfMemory = true;
            return -1;
        }
        if (self->Pending.size() >= FlushSize && !self->Flush()) return -1;
        return static_cast<ssize_t>(length);
    }
    // Writes the buffer out; false (with WriteError set) on failure. It runs
    // inside ReadStat's callback, through which nothing may be thrown.
    bool Flush() {
        try {
            WriteFull(Fd, Pending.data(), Pending.size());
        } catch (const EGeneric& e) {
            WriteError = e.Text();
            return false;
        }
        Pending.clear();
        return true;
    }
    [[noreturn]] void WriteFailed() const {
        throw EGeneric(Options.OutputName.empty() ? WriteError
                                                  : FileErrorText(Options.OutputName, WriteError));
    }
    static void OnError(const char* message, void* context) {
        auto* self = static_cast<TReadStatWriter*>(context);
        if (self != nullptr && message != nullptr) self->LastMessage = message;
    }
    void Check(readstat_error_t e) {
        if (e == READSTAT_OK) return;
        if (OutOfMemory) throw std::bad_alloc();
        if (!WriteError.empty()) WriteFailed();
        std::string detail = readstat_error_message(e);
        if (!LastMessage.empty()) detail += " (" + LastMessage + ")";
        Fail(detail);
    }

    TDataSetFormat Format;
    TDataSetEncoding Encoding;
    int Fd;
    TDataSetWriterOptions Options;
    readstat_writer_t* Writer = nullptr;
    std::vector<readstat_variable_t*> Variables;
    std::vector<size_t> Widths;
    std::string Converted;
    std::string Pending;
    std::string LastMessage;
    std::string WriteError;
    bool OutOfMemory = false;
    size_t Column = 0;
    int64_t Cut = 0;
    bool RowOpen = false;
};

}  // namespace

std::unique_ptr<TDataSetWriter> CreateReadStatWriter(TDataSetFormat format, int fd,
                                                     const TDataSetWriterOptions& options) {
    return std::make_unique<TReadStatWriter>(format, fd, options);
}

}  // namespace tallyra::core
