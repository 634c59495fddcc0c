// SPDX-License-Identifier: GPL-3.0-or-later
#include "entryverify.h"

#include "../data/datafile.h"
#include "../data/tpxdatahandler.h"
#include "../script/tpxdictionary.h"
#include "../shell/errors.h"
#include "../shell/format.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace {

std::string FieldBytes(const std::string& record, const TPXFieldInstruction& f) {
    const size_t start = size_t(f.Column - 1);
    if (start >= record.size()) return std::string(size_t(f.Width), '*');
    return record.substr(start, size_t(f.Width));
}

}  // namespace

TEntryVerifier::TEntryVerifier(const TPXDictionary& script, const std::string& referenceFile,
                               TPairBy by)
    : Script(script), Reference(referenceFile, script.Instructions.LineLength()), By(by) {
    if (By == TPairBy::Identifier) {
        const TPXFieldInstruction* id = script.Instructions.FindRecId();
        for (int32_t i = 0; id && i < script.Instructions.Count(); ++i)
            if (script.Instructions.Field(i) == id) IdentifierIndex = i;
        if (IdentifierIndex < 0)
            throw EGeneric(LangText(
                "<EN>No record identifier in the script.<PL>W skrypcie nie ma identyfikatora "
                "rekordu."));
    }
    // One pass over the reference: the structure test of every record, and
    // the identifier index.
    const TPXFieldInstruction* id =
        IdentifierIndex >= 0 ? script.Instructions.Field(IdentifierIndex) : nullptr;
    const char* record = nullptr;
    while (Reference.Next(record)) {
        if (!id) continue;
        std::string key(record + id->Column - 1, size_t(id->Width));
        const auto [it, added] = Index.emplace(std::move(key), Reference.Position());
        if (!added) it->second = -1;
    }
}

std::string TEntryVerifier::RecordKey(const TPXDataHandler& store) const {
    if (IdentifierIndex >= 0)
        return FieldBytes(store.CurRecord(), *Script.Instructions.Field(IdentifierIndex));
    return std::to_string(store.Context().Rec);
}

int32_t TEntryVerifier::ReferenceOf(TPXDataHandler& store, int32_t field, bool typed) {
    const int32_t rec = store.Context().Rec;
    if (rec != ForRecord) {
        ForRecord = rec;
        RefRecord = 0;
        Told = false;
        PendingRecord = PendingField = -1;
    }
    // A (new) value of the identifier looks the reference up again.
    if (field == IdentifierIndex) {
        RefRecord = 0;
        Told = false;
    }
    if (RefRecord > 0 || Told) return RefRecord;
    if (IdentifierIndex >= 0 && field < IdentifierIndex) return 0;
    const std::string key = RecordKey(store);
    const char* problem =
        "<EN>Record %s is not in the first keying\r\n%s.\r\n\r\nIt is keyed without "
        "verification.<PL>Rekordu %s nie ma w pierwszym wprowadzeniu\r\n%s.\r\n\r\nZostanie "
        "wprowadzony bez weryfikacji.";
    int32_t found = 0;
    if (IdentifierIndex < 0) {
        if (rec <= Reference.FullCount()) found = rec;
    } else if (const auto it = Index.find(key); it != Index.end()) {
        found = it->second;
        if (found < 0)
            problem =
                "<EN>The identifier %s occurs more than once in the first keying\r\n%s.\r\n\r\n"
                "The record is keyed without verification.<PL>Identyfikator %s występuje więcej "
                "niż raz w pierwszym wprowadzeniu\r\n%s.\r\n\r\nRekord zostanie wprowadzony bez "
                "weryfikacji.";
    }
    if (found <= 0) {
        // Told when the operator keys a value of the record, not when the
        // store opens it (an automatic identifier past the last reference
        // record is not yet a questionnaire).
        if (!typed) return 0;
        Told = true;
        if (store.Owner()) {
            store.Owner()->OwnerRefreshNow();
            store.Owner()->OwnerMessage(
                TOwnerBox::Information,
                FormatText(LangText(problem), key.c_str(), Reference.FileName().c_str()));
        }
        return 0;
    }
    RefRecord = found;
    RefBytes.resize(size_t(Script.Instructions.LineLength()));
    Reference.ReadRecords(found, 1, RefBytes.data());
    return RefRecord;
}

bool TEntryVerifier::VerifyValue(TPXDataHandler& store, int32_t field, bool typed) {
    const TPXFieldInstruction* f = store.FieldAt(field);
    if (!f) return true;
    if (ReferenceOf(store, field, typed) == 0) return true;
    const std::string reference = FieldBytes(RefBytes, *f);
    const std::string keyed = FieldBytes(store.CurRecord(), *f);
    const int32_t rec = store.Context().Rec;
    const bool pending = PendingRecord == rec && PendingField == field;
    const auto record = [&](TVerifyFinding::TKind kind, const std::string& value) {
        Found.push_back({kind, RecordKey(store), rec, field, reference, value});
    };
    ++ComparedCount;
    if (keyed == reference) {
        if (pending) {
            ++Slips;
            record(TVerifyFinding::TKind::VerifierSlip, PendingValue);
            PendingRecord = PendingField = -1;
        }
        return true;
    }
    if (!typed) {
        ++FirstErrors;
        record(TVerifyFinding::TKind::Automatic, keyed);
        return true;
    }
    if (pending && keyed == PendingValue) {
        ++FirstErrors;
        record(TVerifyFinding::TKind::FirstEntryError, keyed);
        PendingRecord = PendingField = -1;
        return true;
    }
    // Asked (again): this is the value the next keying is held against.
    --ComparedCount;
    PendingRecord = rec;
    PendingField = field;
    PendingValue = keyed;
    if (store.Owner()) {
        store.Owner()->OwnerRefreshNow();
        store.Owner()->OwnerBeep();
        store.Owner()->OwnerMessage(
            TOwnerBox::Warning,
            LangText("<EN>The value differs from the first keying.\r\nCheck the questionnaire "
                     "and key the value again.<PL>Wartość różni się od pierwszego "
                     "wprowadzenia.\r\nSprawdź kwestionariusz i wprowadź wartość ponownie."));
    }
    return false;
}

std::string TEntryVerifier::SummaryText() const {
    return FormatText(
        LangText("<EN>Verified: %lld values, first entry errors: %lld, verifier slips: %lld"
                 "<PL>Zweryfikowano: %lld wartości, błędy pierwszego wprowadzenia: %lld, "
                 "pomyłki weryfikatora: %lld"),
        static_cast<long long>(ComparedCount), static_cast<long long>(FirstErrors),
        static_cast<long long>(Slips));
}

}  // namespace tallyra::core
