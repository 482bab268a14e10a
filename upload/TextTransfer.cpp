#include "upload/TextTransfer.h"

#include <string>

#include "link/ReplyText.h"
#include "upload/BlockCommands.h"
#include "upload/FailureDetail.h"
#include "upload/TextBlockReader.h"
#include "upload/UploadSession.h"

namespace corvane {

namespace {

// True when the module's latest answer says that it waits for a binary record.
bool WantsRecord(UploadSession& session) {
    return reply_text::Contains(session.Reply(), "CONNECT");
}

// The module's word for "drop what you have of this set": the set command without block numbers.
// A K47 module takes it for its record command and waits for a record, which would swallow every
// later command: only a reset gets it back to commands. True when the module was reset.
bool SendCancel(ModuleLink& link, UploadSession& session, CommandBuffer& command) {
    FormatSetCommand(command, session.SetName());
    session.SendUnchecked(command.data());
    if (!WantsRecord(session)) {
        return false;
    }
    link.PowerOnAndReset();
    return true;
}

}  // namespace

ResultCode TransferText(ModuleLink& link, UploadSession& session) {
    TextBlockReader blocks(session.File().Stream());
    CommandBuffer command{};
    if (!blocks.ReadHeader()) {
        session.ExplainFile(blocks.Problem());
        return ResultInvalidFile;
    }
    const uint32_t total = blocks.Blocks();
    if (total == 0) {
        session.Explain(NothingWrittenText);
    }
    for (uint32_t i = 1; i <= total; ++i) {
        if (session.StopHere()) {
            // Before the first block command the module holds nothing of the set to drop.
            if (i > 1) {
                SendCancel(link, session, command);
            }
            return ResultOk;
        }
        if (!blocks.ReadBlock()) {
            session.ExplainFile(blocks.Problem());
            SendCancel(link, session, command);
            return ResultInvalidFile;
        }
        session.Report({.phase = UploadPhase::Writing, .block = i, .blocks = total});
        FormatNumberedBlockCommand(command, session.SetName(), i, total);
        // No binary record to give a module that asks for one.
        const BlockResult result =
            link.SendBlock(command.data(), blocks.Buffer(), 0, session.Reply(), ReplyBufferSize);
        if (result != BlockResult::Confirmed) {
            // Told before the cancel command's reply takes the module's answer's place.
            session.Explain(
                RefusedBlock(result, "block " + std::to_string(i) + " of " + std::to_string(total),
                             session.Reply(), "the text prompt"));
            if (result == BlockResult::DataRefused && WantsRecord(session)) {
                // It waits for a record already: the cancel command would be taken as its bytes.
                link.PowerOnAndReset();
            } else if (SendCancel(link, session, command)) {
                session.Explain(OtherFamilyAdvice("CONNECT", UploadProcedure::Binary));
            }
            // Whatever went wrong with the block, the operator is told the file did not go in.
            return ResultInvalidFile;
        }
        session.Accepted(static_cast<uint16_t>(2 * i),
                         static_cast<uint16_t>(blocks.DeclaredLines()));
    }
    return ResultOk;
}

}  // namespace corvane
