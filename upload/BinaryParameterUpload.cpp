#include "upload/BinaryParameterUpload.h"

#include <limits>
#include <new>

#include "upload/BinaryRecordReader.h"
#include "upload/BlockCommands.h"
#include "upload/UploadSession.h"

namespace corvane {

namespace {

constexpr uint32_t ClosingPause = 200;
constexpr uint32_t ProgressRange = 100;

// The module wants the first two records announced: the first with mode 3, the second with 1.
void AnnounceRecord(UploadSession& session, uint32_t recordsSent) {
    if (recordsSent == 0) {
        session.SendUnchecked("AT^QNFS=3\r");
    } else if (recordsSent == 1) {
        session.SendUnchecked("AT^QNFS=1\r");
    }
}

// What a block's fate means to the operator of the binary procedure.
ResultCode RecordResult(BlockResult result) {
    switch (result) {
        case BlockResult::Confirmed:
            return ResultOk;
        case BlockResult::DataRefused:
            return ResultInvalidFile;
        case BlockResult::Unconfirmed:
            return ResultModemRejectedData;
        case BlockResult::WrongModuleType:
            return ResultWrongModuleType;
    }
    return ResultModemRejectedData;
}

ResultCode SendRecords(ModuleLink& link, UploadSession& session) {
    const uint64_t size = session.File().Size();
    // Sizes are counted in 32 bits; a larger file would pass for a smaller one, even an empty one.
    if (size > std::numeric_limits<uint32_t>::max()) {
        return ResultInvalidFile;
    }
    BinaryRecordReader records(session.File().Stream(), static_cast<uint32_t>(size));
    CommandBuffer command{};
    FormatSetCommand(command, session.SetName());

    for (uint32_t recordsSent = 0; records.Remaining() > 0; ++recordsSent) {
        if (session.StopHere()) {
            return ResultOk;
        }
        const uint32_t length = records.ReadNext();
        // A record the module cannot take in one block is refused before its commands: once
        // the module has said CONNECT it waits for data, and would take the switch-off command
        // for part of the record.
        if (length == 0 || length > LargestBinaryBlock) {
            return ResultInvalidFile;
        }
        AnnounceRecord(session, recordsSent);
        const ResultCode sent = RecordResult(link.SendBlock(
            command.data(), records.Buffer(), length, session.Reply(), ReplyBufferSize));
        if (sent != ResultOk) {
            return sent;
        }
        session.Accepted(static_cast<uint16_t>(records.ConsumedPercent()), ProgressRange);
    }
    return ResultOk;
}

}  // namespace

BinaryParameterUpload::BinaryParameterUpload()
    : BinaryParameterUpload(platform::Platform::System()) {}

BinaryParameterUpload::BinaryParameterUpload(platform::Platform& platform) : platform(platform) {}

BinaryParameterUpload::~BinaryParameterUpload() = default;

UploadOutcome BinaryParameterUpload::Upload(const UploadJob& job, const ProgressCallback& progress,
                                            StopRequest* stop) {
    link.reset(new (std::nothrow) ModuleLink(platform));
    UploadSession session(link.get(), platform.clock, ClosingPause, job, progress, stop);
    return session.Run([&] { return SendRecords(*link, session); });
}

}  // namespace corvane
