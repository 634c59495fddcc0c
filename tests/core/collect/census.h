// SPDX-License-Identifier: GPL-3.0-or-later
// The collection tests' questionnaire: a household census (fixtures/
// census.slo, code page 1250) with a record identifier, a constant field, a
// filter, a group, an update field, value labels and Polish letters, and
// records of it built field by field.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "../data/data_fixture.h"
#include "collect/surveylayout.h"
#include "shell/cp1250.h"

namespace tallyra::core::testing {

inline const std::string CensusScript =
    std::string(TALLYRA_SOURCE_DIR) + "/tests/core/collect/fixtures/census.slo";

// The census read as a script and its layout under a survey name.
struct TCensus {
    explicit TCensus(const std::string& survey = "census")
        : Script(ReadAll(CensusScript)),
          Layout(std::make_unique<TSurveyLayout>(*Script.Dictionary, survey)) {}
    TScript Script;
    std::unique_ptr<TSurveyLayout> Layout;
};

// One census record (CR LF included). Texts are UTF-8, stored as code page
// 1250 and padded with blanks; numbers are zero-padded.
struct TCensusRecord {
    int Id = 1;
    std::string Voivodeship = "mazowieckie";
    int Sex = 1;
    int Age = 40;
    int Works = 1;
    std::string Job = "nauczyciel";
    int People = 3;
    int Children = 1;
    long long Income = 52000;
    std::string Remarks;

    std::string Bytes() const {
        const auto number = [](long long v, int width) {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%0*lld", width, v);
            return std::string(buffer);
        };
        const auto text = [](const std::string& utf8, size_t width) {
            std::string bytes = Utf8ToCp1250(utf8);
            bytes.resize(width, ' ');
            return bytes;
        };
        return number(Id, 5) + "001" + text(Voivodeship, 20) + number(Sex, 1) + number(Age, 3) +
               number(Works, 1) + text(Job, 30) + number(People, 2) + number(Children, 2) +
               number(Income, 11) + text(Remarks, 40) + "\r\n";
    }
};

// `count` records numbered from `firstId`, their fields varied a little.
inline std::string CensusFile(int count, int firstId = 1) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        TCensusRecord r;
        r.Id = firstId + i;
        r.Age = 18 + i % 70;
        r.Sex = 1 + i % 2;
        r.Income = 1000LL * (i % 997);
        bytes += r.Bytes();
    }
    return bytes;
}

}  // namespace tallyra::core::testing
