// SPDX-License-Identifier: GPL-3.0-or-later
// Publishing records of one station's data file to the collection server.
// The publisher takes complete records as they come and sends them in
// batches, one transaction per batch: a record the server holds unchanged
// is skipped (found by its checksum, without sending it), a new one is
// added, a changed one replaces its row while the trigger keeps the previous
// version in the history. Publishing is idempotent, so a batch lost with the
// connection is simply published again.
//
// Nothing here is tied to a keyboard or a window: a station can keep its
// publisher on a worker thread and hand it records there. A publisher (and
// its collection's connection) is driven by one thread at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "collection.h"

namespace tallyra::core {

// Who publishes: the station, the operator, and the data file's name (the
// name without its folder: a station's files are told apart by name).
struct TPublishSource {
    std::string Station;
    std::string Operator;
    std::string File;
};

struct TPublishCounts {
    int64_t Added = 0;      // rows new to the server
    int64_t Changed = 0;    // rows replaced (their earlier version is in the history)
    int64_t Unchanged = 0;  // records the server held as they are
    int64_t Total() const { return Added + Changed + Unchanged; }
};

struct TPublishOptions {
    // A batch is sent once it holds this many records or bytes.
    size_t BatchRecords = 10000;
    size_t BatchBytes = size_t(8) << 20;
    // Called after each committed batch with the counts so far.
    std::function<void(const TPublishCounts&)> Committed;
};

class TPublisher {
public:
    // Publishes into `collection` (borrowed; checked with CheckSurvey by the
    // caller) as `source`. Raises EGeneric for an empty station, operator or
    // file name.
    TPublisher(TCollection& collection, TPublishSource source, TPublishOptions options = {});
    TPublisher(const TPublisher&) = delete;
    TPublisher& operator=(const TPublisher&) = delete;

    // Takes record `number` (from 1) of the file: its LineLength bytes, CR
    // LF included, keyed at `keyedMicros` (microseconds since 1970-01-01 UTC).
    // A record given twice before it is sent is sent once, as given last.
    // Sends a batch when one is full (and then raises what Flush raises).
    // Raises EGeneric for a record of another length or a number below 1.
    void Add(int32_t number, std::string_view record, int64_t keyedMicros);
    // Sends every record taken and not yet sent. Raises ECollectError; the
    // batches committed before stay published and counted, the records of
    // the failed batch are dropped from the publisher (publish them again).
    void Flush();

    // Records taken and not yet sent.
    size_t Pending() const { return Batch.size(); }
    // What the committed batches did.
    const TPublishCounts& Counts() const { return Done; }
    const TPublishSource& Source() const { return From; }

private:
    struct TPending {
        int32_t Number;
        int64_t Keyed;
        size_t Offset;  // of the record's bytes in Bytes
    };
    void SendBatch();
    void EnsureIncomingTable();

    TCollection& Target;
    TPublishSource From;
    TPublishOptions Options;
    std::vector<TPending> Batch;
    std::string Bytes;
    TPublishCounts Done;
    bool HaveIncoming = false;
    std::string Incoming;  // the session's temporary table, quoted
};

// What publishing a data file did.
struct TFilePublication {
    TPublishCounts Counts;
    int64_t Records = 0;     // complete records in the file
    int64_t RowsBeyond = 0;  // rows of this file the server holds past its end
};

// Publishes every complete record of `dataFile` (the incomplete last one
// never) as `source`, reading it under the reader lock; the records' keyed
// time is the file's last change. Raises EPXData carrying the mismatch text
// for a file that does not fit the layout, EGeneric for a file that cannot
// be read (or is in use by a store), ECollectError from the server.
TFilePublication PublishDataFile(TCollection& collection, const std::string& dataFile,
                                 const TPublishSource& source, TPublishOptions options = {});

}  // namespace tallyra::core
