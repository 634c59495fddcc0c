// SPDX-License-Identifier: GPL-3.0-or-later
// Pulling a survey's rows back as one data file: streamed with COPY in
// identifier order, every row checked against the layout and its checksum,
// written under a temporary name that takes the target's place at the end.
#include "../data/recordstore.h"
#include "../export/atomicoutput.h"
#include "../shell/fdio.h"
#include "../shell/format.h"
#include "../shell/langtext.h"
#include "checksum.h"
#include "collection.h"
#include "copybinary.h"

namespace tallyra::core {

namespace {

[[noreturn]] void RaiseBrokenRow(const TCollectedRow& row, const char* why) {
    throw EGeneric(FormatText(LangText("<EN>The row of station \"%s\", file \"%s\", record %d "
                                       "%s; nothing was written.<PL>Wiersz stanowiska \"%s\", "
                                       "pliku \"%s\", rekordu %d %s; niczego nie zapisano."),
                              row.Station.c_str(), row.File.c_str(), int(row.Record),
                              LangText(why).c_str()));
}

// Output is written in pieces of about this size.
constexpr size_t WriteChunk = size_t(1) << 20;

}  // namespace

TPullSummary TCollection::Pull(const std::string& target, const std::optional<std::string>& station,
                               const std::function<void(const TDuplicate&)>& duplicate) {
    CheckSurvey();
    const size_t L = size_t(Survey->LineLength());
    std::string where;
    if (station) {
        // COPY takes no parameters: the station travels as a setting.
        Db.Exec("SELECT set_config('tallyra.station', $1, false)", {{*station}});
        where = " WHERE _station = current_setting('tallyra.station')";
    }
    TAtomicOutput output(target);
    TPullSummary summary;
    TCopyBinaryReader reader;
    TChecksum checksum;
    std::string out;
    std::vector<std::string_view> fields;
    std::vector<bool> null;
    TDuplicate group;  // the rows of the identifier read last
    bool groupHasId = false;
    const auto endGroup = [&] {
        if (groupHasId && group.Rows.size() > 1) {
            ++summary.DuplicateIdentifiers;
            for (const TCollectedRow& r : group.Rows)
                if (std::find(group.Stations.begin(), group.Stations.end(), r.Station) ==
                    group.Stations.end())
                    group.Stations.push_back(r.Station);
            std::sort(group.Stations.begin(), group.Stations.end());
            if (duplicate) duplicate(group);
        }
        group = TDuplicate();
    };
    Db.CopyOut(
        "COPY (SELECT _station, _file, _record, _identifier, _checksum, _raw FROM " +
            RecordsTable() + where +
            " ORDER BY _identifier, _station, _file, _record) TO STDOUT (FORMAT binary)",
        [&](std::string_view data) {
            reader.Feed(data);
            while (reader.NextRow(fields, null)) {
                if (fields.size() != 6 || null[0] || null[1] || null[2] || null[4] || null[5])
                    throw EGeneric(
                        LangText("<EN>The survey's table has rows without "
                                 "their bytes.<PL>Tabela badania zawiera "
                                 "wiersze bez ich bajtów."));
                TCollectedRow row{std::string(fields[0]), std::string(fields[1]),
                                  TCopyBinaryReader::ReadInt4(fields[2])};
                const std::string_view raw = fields[5];
                if (raw.size() != L)
                    RaiseBrokenRow(row,
                                   "<EN>is not a record of this layout<PL>nie jest "
                                   "rekordem tego układu");
                try {
                    CheckRecords(raw.data(), 1, L);
                } catch (const EPXData&) {
                    RaiseBrokenRow(row,
                                   "<EN>is not a record of this layout<PL>nie jest "
                                   "rekordem tego układu");
                }
                if (checksum.Of(raw) != fields[4])
                    RaiseBrokenRow(row,
                                   "<EN>does not match its checksum (it was changed "
                                   "on the server)<PL>nie zgadza się ze swoją sumą "
                                   "kontrolną (zmieniono go na serwerze)");
                const bool hasId = !null[3];
                if (!hasId || !groupHasId || fields[3] != group.Identifier) {
                    endGroup();
                    group.Identifier = hasId ? std::string(fields[3]) : std::string();
                    groupHasId = hasId;
                }
                group.Rows.push_back(std::move(row));
                out.append(raw.data(), raw.size());
                ++summary.Records;
                if (out.size() >= WriteChunk) {
                    WriteFull(output.Fd(), out.data(), out.size());
                    out.clear();
                }
            }
        });
    endGroup();
    WriteFull(output.Fd(), out.data(), out.size());
    output.Commit();
    return summary;
}

}  // namespace tallyra::core
