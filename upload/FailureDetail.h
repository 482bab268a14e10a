#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "link/ModuleLink.h"
#include "upload/UploadJob.h"

namespace corvane {

// The operator's words for why a run failed, beyond what its result code says. Built only once
// the run has failed.

// No answer to the rate search's probes: the rates tried, in the order tried, and what to do
// about a module that echoed them or one that stayed silent.
std::string NoAnswerAtAnyRate(uint32_t configuredRate, bool echoHeard);

// The module answered the probe at the rate, but no "AT\r" of the handshake that followed its
// reset.
std::string NoAnswerAfterReset(uint32_t rate, int attempts);

// A block that the module did not take, named as the operator counts it ("block 7 of 20",
// "record 3"), with what the module answered (the reply of the block's last exchange) and what
// the procedure waited for ("CONNECT", "the text prompt").
std::string RefusedBlock(BlockResult result, std::string_view block, std::span<const char> reply,
                         std::string_view awaited);

// The module's answer to a block command shows that it is of the other family: what it answered
// ("CONNECT", "the text prompt"), which files it takes, and which family to choose for them.
std::string OtherFamilyAdvice(std::string_view answered, UploadProcedure moduleTakes);

// A reply as one short line: without the line ends around it, control bytes escaped, and cut
// with "..." when long; empty when it held nothing but white space.
std::string ReplyWords(std::span<const char> reply);

}  // namespace corvane
