#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/TraceEvents.h"
#include "platform/EscapedBytes.h"

namespace corvane::bench {
namespace {

TEST(TraceBytes, EveryByteValueSurvivesTheTracesEscaping) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all += static_cast<char>(byte);
    }
    const std::string escaped =
        EscapedBytes({reinterpret_cast<const uint8_t*>(all.data()), all.size()});

    EXPECT_EQ(UnescapeBytes(escaped), all);
}

TEST(TraceBytes, MalformedEscapesAreRefused) {
    for (const char* text : {"AT\\", "\\q", "\\x4", "\\xZZ", "ab\\x"}) {
        EXPECT_EQ(UnescapeBytes(text), std::nullopt) << text;
    }
}

struct LineCase {
    const char* name;
    const char* line;
    std::optional<TraceKind> kind;
    uint32_t rate = 0;
    std::string bytes{};
};

void PrintTo(const LineCase& c, std::ostream* out) {
    *out << c.name;
}

class TraceLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(TraceLine, TellsWhatShapesTheDuration) {
    std::string error;
    const std::optional<TraceEvent> event = ParseTraceLine(GetParam().line, error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(event.has_value(), GetParam().kind.has_value());
    if (event) {
        EXPECT_EQ(event->kind, *GetParam().kind);
        EXPECT_EQ(event->rate, GetParam().rate);
        EXPECT_EQ(event->bytes, GetParam().bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TraceLine,
    ::testing::Values(LineCase{"Write", "[    412 ms] > AT\\r", TraceKind::Write, 0, "AT\r"},
                      LineCase{"Read", "[    431 ms] < AT\\r\\r\\nOK\\r\\n", TraceKind::Read, 0,
                               "AT\r\r\nOK\r\n"},
                      LineCase{"Rate", "[      4 ms] rate 19200", TraceKind::Rate, 19200},
                      LineCase{"DtrLow", "[      4 ms] DTR low", TraceKind::DtrLow},
                      LineCase{"ShortWrite", "[     10 ms] > AT\\r  (2 of 3 written)",
                               TraceKind::Partial},
                      LineCase{"FailedWrite", "[     10 ms] > AT\\r  (0 of 3 written, failed)",
                               TraceKind::Partial},
                      // What does not shape the duration, and what is no trace line at all.
                      LineCase{"RefusedRate", "[      4 ms] rate 7 refused", std::nullopt},
                      LineCase{"DtrHigh", "[    104 ms] DTR high", std::nullopt},
                      LineCase{"Result", "Audio Parameter Update successfull", std::nullopt}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return info.param.name; });

TEST(TraceLines, AMalformedLineStopsTheReading) {
    std::istringstream trace("[ 1 ms] rate 115200\n[ 2 ms] > AT\\q\n[ 3 ms] DTR low\n");
    std::vector<TraceEvent> events;
    std::string error;

    EXPECT_FALSE(ReadTrace(trace, events, error));
    EXPECT_NE(error.find("AT\\q"), std::string::npos) << error;
}

}  // namespace
}  // namespace corvane::bench
