// SPDX-License-Identifier: GPL-3.0-or-later
#include "tpxdatahandler.h"

#include "../shell/privatetemp.h"

namespace tallyra::core {

TPXDataMessage::TPXDataMessage(int32_t record, int32_t fieldIndex, int32_t code)
    : TPXMessage(mkError, int32_t((uint32_t(record) & 0xFFFFu) | (uint32_t(fieldIndex) << 16)),
                 code),
      Record(record),
      FieldIndex(fieldIndex) {}

std::unique_ptr<TEHMessage> TPXDataMessage::CreateCopy() const {
    return std::make_unique<TPXDataMessage>(Record, FieldIndex, Code);
}

TPXDataHandler::TPXDataHandler(TPXDictionary& dictionary, IPXDataOwner* owner)
    : DataOwner(owner),
      Script(&dictionary),
      Layout(dictionary.Instructions),
      Records(dictionary.Instructions.LineLength()),
      Navigation(Layout, Records, *this, owner) {}

TPXDataHandler::~TPXDataHandler() = default;

std::unique_ptr<TPXDataHandler> TPXDataHandler::CreateForFile(TPXDictionary& dictionary,
                                                              bool makeBackup, IPXDataOwner* owner,
                                                              const std::string& fileName) {
    std::unique_ptr<TPXDataHandler> store(new TPXDataHandler(dictionary, owner));
    store->OpenFile(fileName, makeBackup);
    return store;
}

std::unique_ptr<TPXDataHandler> TPXDataHandler::CreateForReading(TPXDictionary& dictionary,
                                                                 IPXDataOwner* owner,
                                                                 const std::string& fileName) {
    std::unique_ptr<TPXDataHandler> store(new TPXDataHandler(dictionary, owner));
    store->OpenFile(fileName, false, true);
    return store;
}

std::unique_ptr<TPXDataHandler> TPXDataHandler::CreateTemp(TPXDictionary& dictionary,
                                                           int32_t autoBoundary,
                                                           IPXDataOwner* owner,
                                                           const std::string& folder) {
    std::unique_ptr<TPXDataHandler> store(new TPXDataHandler(dictionary, owner));
    store->OpenTemp(autoBoundary, folder);
    return store;
}

void TPXDataHandler::OpenFile(const std::string& fileName, bool makeBackup, bool readOnly) {
    InitStore();
    const size_t incomplete = Records.Open(fileName, makeBackup, readOnly);
    Navigation.Start(int32_t(incomplete), 0);
}

void TPXDataHandler::OpenTemp(int32_t autoBoundary, const std::string& folder) {
    InitStore();
    Records.OpenTemp(folder.empty() ? PrivateTempFolder() : folder);
    Navigation.Start(0, autoBoundary);
}

void TPXDataHandler::InitStore() {
    Records.Reset();
    Navigation.Reset();
}

TEHList& TPXDataHandler::MessageList() {
    if (Script->Messages) return *Script->Messages;
    if (!OwnMessages) OwnMessages = std::make_unique<TPXMessageList>();
    return *OwnMessages;
}

void TPXDataHandler::CutToFullRecords() {
    Records.CutToFullRecords();
    if (InIncomplete()) LoadRecord();
}

}  // namespace tallyra::core
