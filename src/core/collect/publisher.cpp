// SPDX-License-Identifier: GPL-3.0-or-later
#include "publisher.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

#include "../shell/errors.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"
#include "../verify/datainput.h"
#include "checksum.h"
#include "collectsql.h"
#include "copybinary.h"

namespace tallyra::core {

namespace {

// `refusal` is the tagged text for a name that cannot be used.
void RequireName(const std::string& name, const char* refusal) {
    if (name.empty() || name.find('\0') != std::string::npos) throw EGeneric(LangText(refusal));
}

// COPY data is handed to the server in pieces of about this size.
constexpr size_t CopyChunk = size_t(1) << 20;

}  // namespace

TPublisher::TPublisher(TCollection& collection, TPublishSource source, TPublishOptions options)
    : Target(collection), From(std::move(source)), Options(std::move(options)) {
    RequireName(From.Station, "<EN>The station's name is empty.<PL>Nazwa stanowiska jest pusta.");
    RequireName(From.Operator, "<EN>The operator's name is empty.<PL>Nazwa operatora jest pusta.");
    RequireName(From.File, "<EN>The data file's name is empty.<PL>Nazwa pliku danych jest pusta.");
    if (Options.BatchRecords == 0) Options.BatchRecords = 1;
    Incoming = Target.Session().Identifier("tallyra_" + Target.Layout().Survey());
}

void TPublisher::Add(int32_t number, std::string_view record, int64_t keyedMicros) {
    const TSurveyLayout& layout = Target.Layout();
    if (number < 1 || record.size() != size_t(layout.LineLength()))
        throw EGeneric(FormatText(LangText("<EN>Record %d does not fit the survey's layout (%d "
                                           "bytes, not %d).<PL>Rekord %d nie pasuje do układu "
                                           "badania (%d bajtów zamiast %d)."),
                                  int(number), int(record.size()), int(layout.LineLength())));
    Batch.push_back({number, keyedMicros, Bytes.size()});
    Bytes.append(record.data(), record.size());
    if (Batch.size() >= Options.BatchRecords || Bytes.size() >= Options.BatchBytes) Flush();
}

void TPublisher::Flush() {
    if (Batch.empty()) return;
    try {
        SendBatch();
    } catch (...) {
        Batch.clear();
        Bytes.clear();
        throw;
    }
    Batch.clear();
    Bytes.clear();
}

void TPublisher::EnsureIncomingTable() {
    if (HaveIncoming) return;
    std::string sql = "CREATE TEMP TABLE IF NOT EXISTS " + Incoming +
                      " (_record integer, _keyed timestamptz, _identifier text";
    for (const TSurveyColumn& c : Target.Layout().Columns())
        sql += ", " + Target.Session().Identifier(c.Name) + " " + ColumnSqlType(c.Type);
    sql += ", _checksum bytea, _raw bytea) ON COMMIT DELETE ROWS";
    Target.Session().Exec(sql);
    HaveIncoming = true;
}

void TPublisher::SendBatch() {
    TPgSession& db = Target.Session();
    const TSurveyLayout& layout = Target.Layout();
    const size_t L = size_t(layout.LineLength());
    // In record order, each number once (the last given wins).
    std::stable_sort(Batch.begin(), Batch.end(),
                     [](const TPending& a, const TPending& b) { return a.Number < b.Number; });
    std::vector<TPending> records;
    for (size_t i = 0; i < Batch.size(); ++i)
        if (i + 1 == Batch.size() || Batch[i + 1].Number != Batch[i].Number)
            records.push_back(Batch[i]);

    try {
        EnsureIncomingTable();
    } catch (const ECollectError&) {
        HaveIncoming = false;
        throw;
    }
    TPgTransaction transaction(db);
    const std::string low = std::to_string(records.front().Number);
    const std::string high = std::to_string(records.back().Number);
    const TPgResult held = db.Exec("SELECT _record, _checksum FROM " + Target.RecordsTable() +
                                       " WHERE _station = $1 AND _file = $2 AND _record BETWEEN "
                                       "$3 AND $4 ORDER BY _record",
                                   {{From.Station}, {From.File}, {low}, {high}}, true);
    TChecksum checksum;
    std::vector<std::string> sums(records.size());
    std::vector<size_t> send;
    int heldRow = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        sums[i] = checksum.Of(std::string_view(Bytes).substr(records[i].Offset, L));
        while (heldRow < held.Rows() &&
               TCopyBinaryReader::ReadInt4(held.Value(heldRow, 0)) < records[i].Number)
            ++heldRow;
        const bool same =
            heldRow < held.Rows() &&
            TCopyBinaryReader::ReadInt4(held.Value(heldRow, 0)) == records[i].Number &&
            held.Value(heldRow, 1) == sums[i];
        if (!same) send.push_back(i);
    }
    TPublishCounts counts;
    counts.Unchanged = int64_t(records.size() - send.size());
    if (!send.empty()) {
        size_t next = 0;
        bool headerSent = false;
        db.CopyIn("COPY " + Incoming + " FROM STDIN (FORMAT binary)", [&](std::string& out) {
            if (!headerSent) {
                TCopyBinaryWriter::Header(out);
                headerSent = true;
            }
            while (next < send.size() && out.size() < CopyChunk) {
                const TPending& r = records[send[next]];
                const std::string_view record = std::string_view(Bytes).substr(r.Offset, L);
                TCopyBinaryWriter::BeginRow(out, int16_t(layout.Columns().size() + 5));
                TCopyBinaryWriter::Int4(out, r.Number);
                TCopyBinaryWriter::Timestamp(out, r.Keyed);
                if (const auto id = layout.IdentifierOf(record))
                    TCopyBinaryWriter::Bytes(out, *id);
                else
                    TCopyBinaryWriter::Null(out);
                for (const TSurveyColumn& c : layout.Columns()) {
                    const std::string_view field =
                        record.substr(size_t(c.Column - 1), size_t(c.Width));
                    if (c.Type == TColumnType::Integer || c.Type == TColumnType::BigInt) {
                        const auto n = ColumnNumber(field);
                        if (!n)
                            TCopyBinaryWriter::Null(out);
                        else if (c.Type == TColumnType::Integer)
                            TCopyBinaryWriter::Int4(out, int32_t(*n));
                        else
                            TCopyBinaryWriter::Int8(out, *n);
                    } else if (const auto v = ColumnValue(c, field)) {
                        TCopyBinaryWriter::Bytes(out, *v);
                    } else {
                        TCopyBinaryWriter::Null(out);
                    }
                }
                TCopyBinaryWriter::Bytes(out, sums[send[next]]);
                TCopyBinaryWriter::Bytes(out, record);
                ++next;
            }
            if (next < send.size()) return true;
            TCopyBinaryWriter::Trailer(out);
            return false;
        });
        const std::string fields = FieldColumnList(db, layout);
        std::string updates;
        for (const TSurveyColumn& c : layout.Columns())
            updates += ", " + db.Identifier(c.Name) + " = excluded." + db.Identifier(c.Name);
        const TPgResult done = db.Exec(
            "WITH done AS (INSERT INTO " + Target.RecordsTable() +
                " AS t (_station, _file, _record, _operator, _keyed, _identifier, " + fields +
                ", _checksum, _raw) SELECT $1, $2, _record, $3, _keyed, _identifier, " + fields +
                ", _checksum, _raw FROM " + Incoming +
                " ON CONFLICT (_station, _file, _record) DO UPDATE SET "
                "_operator = excluded._operator, _keyed = excluded._keyed, _published = now(), "
                "_identifier = excluded._identifier" +
                updates +
                ", _checksum = excluded._checksum, _raw = excluded._raw "
                "WHERE t._raw IS DISTINCT FROM excluded._raw RETURNING (xmax = 0) AS added) "
                "SELECT count(*) FILTER (WHERE added), count(*) FILTER (WHERE NOT added) FROM done",
            {{From.Station}, {From.File}, {From.Operator}});
        counts.Added = done.Integer(0, 0);
        counts.Changed = done.Integer(0, 1);
        // Rows another publisher stored meanwhile, as they are here.
        counts.Unchanged += int64_t(send.size()) - counts.Added - counts.Changed;
    }
    transaction.Commit();
    Done.Added += counts.Added;
    Done.Changed += counts.Changed;
    Done.Unchanged += counts.Unchanged;
    if (Options.Committed) Options.Committed(Done);
}

TFilePublication PublishDataFile(TCollection& collection, const std::string& dataFile,
                                 const TPublishSource& source, TPublishOptions options) {
    TDataInput input(dataFile, collection.Layout().LineLength());
    struct stat info {};
    if (::stat(dataFile.c_str(), &info) != 0) RaiseFileError(dataFile, errno);
    const int64_t keyed = int64_t(info.st_mtim.tv_sec) * 1000000 + info.st_mtim.tv_nsec / 1000;
    TPublisher publisher(collection, source, std::move(options));
    const char* record = nullptr;
    try {
        while (input.Next(record))
            publisher.Add(input.Position(),
                          std::string_view(record, size_t(collection.Layout().LineLength())),
                          keyed);
        publisher.Flush();
    } catch (const ECollectError& e) {
        // Say what is safely on the server: the next publish completes the rest.
        const TPublishCounts& done = publisher.Counts();
        if (done.Total() == 0) throw;
        throw ECollectError(
            e.Kind,
            e.Text() + "\r\n" +
                FormatText(LangText("<EN>Records %lld to %lld had been published before (%lld "
                                    "new, %lld changed); publish again to complete the file."
                                    "<PL>Rekordy od %lld do %lld zostały opublikowane wcześniej "
                                    "(%lld nowych, %lld zmienionych); opublikuj ponownie, aby "
                                    "dokończyć plik."),
                           1LL, static_cast<long long>(done.Total()),
                           static_cast<long long>(done.Added),
                           static_cast<long long>(done.Changed)),
            e.SqlState);
    }
    TFilePublication result;
    result.Counts = publisher.Counts();
    result.Records = input.Position();
    result.RowsBeyond = collection.RowsBeyond(source.Station, source.File, result.Records);
    return result;
}

}  // namespace tallyra::core
