#include "upload/BinaryTransfer.h"

#include <string>

#include "upload/BinaryRecordReader.h"
#include "upload/BlockCommands.h"
#include "upload/FailureDetail.h"
#include "upload/UploadSession.h"

namespace corvane {

namespace {

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

}  // namespace

ResultCode TransferBinary(ModuleLink& link, UploadSession& session) {
    BinaryRecordReader records(session.File().Stream(), session.File().Size());
    CommandBuffer command{};
    FormatSetCommand(command, session.SetName());
    if (records.Size() == 0) {
        session.Explain(NothingWrittenText);
    }

    for (uint32_t recordsSent = 0; records.More(); ++recordsSent) {
        if (session.StopHere()) {
            return ResultOk;
        }
        const uint32_t length = records.ReadNext();
        if (length == 0) {
            break;
        }
        session.Report({.phase = UploadPhase::Writing, .block = records.Number()});
        AnnounceRecord(session, recordsSent);
        if (session.StopHere()) {
            return ResultOk;
        }
        const BlockResult result =
            link.SendBlock(command.data(), records.Buffer(), length, session.Reply(), length);
        if (result != BlockResult::Confirmed) {
            session.Explain(RefusedBlock(result, "record " + std::to_string(records.Number()),
                                         session.Reply(), "CONNECT"));
            return RecordResult(result);
        }
        session.Accepted(static_cast<uint16_t>(records.ConsumedPercent()), ProgressRange);
    }
    if (!records.Problem().empty()) {
        session.ExplainFile(records.Problem());
        return ResultInvalidFile;
    }
    return ResultOk;
}

}  // namespace corvane
