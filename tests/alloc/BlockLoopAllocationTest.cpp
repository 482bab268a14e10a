#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <new>
#include <ostream>
#include <string>

#include "tests/alloc/HeapCounter.h"
#include "tests/alloc/UncountedPlatform.h"
#include "tests/support/BinaryRecord.h"
#include "tests/support/FakeModem.h"
#include "tests/support/FakePlatform.h"
#include "upload/RunUpload.h"

namespace corvane::test {
namespace {

struct Transfer {
    const char* name;
    const char* modelCode;
    sim::Family family;
    std::string content;
    size_t blocks;
};

void PrintTo(const Transfer& c, std::ostream* out) {
    *out << c.name;
}

std::string TextFile() {
    std::string text = "Lines: 8\r\n";
    for (char line = 'a'; line < 'i'; ++line) {
        text += std::string(40, line) + "\r\n";
    }
    return text;
}

std::string BinaryFile() {
    return Record(300) + Record(1023) + Record(7);
}

// A whole update through the fakes, the heap counter armed while the link uses the port.
class HeapDuringTransfer : public ::testing::TestWithParam<Transfer> {
  protected:
    void SetUp() override {
        const int descriptor = mkstemp(path.data());
        ASSERT_GE(descriptor, 0);
        const std::string& content = GetParam().content;
        ASSERT_EQ(write(descriptor, content.data(), content.size()),
                  static_cast<ssize_t>(content.size()));
        close(descriptor);
    }
    void TearDown() override {
        heap::Disarm();
        std::remove(path.c_str());
    }

    // onReport is called for each progress report.
    ResultCode Run(const std::function<void()>& onReport) {
        struct Reporting final : UploadObserver {
            explicit Reporting(const std::function<void()>& onReport) : onReport(onReport) {}
            void Progress(uint32_t /*position*/, uint32_t /*range*/) override { onReport(); }
            const std::function<void()>& onReport;
        } observer(onReport);
        StopRequest stop;
        const UploadJob job{.procedure = ProcedureForModelCode(GetParam().modelCode),
                            .filePath = path,
                            .portName = "/dev/ttyS1",
                            .baudRate = 115200};
        return RunUpload({job, observer, stop, platform}).code;
    }

    std::string path = "/tmp/corvane-alloc-XXXXXX";
    FakePlatform fake;
    FakeModem module{fake.port, {.family = GetParam().family}};
    UncountedPort port{fake.port};
    UncountedClock clock{fake.clock};
    platform::Platform platform{port, clock, fake.libraries};
};

TEST_P(HeapDuringTransfer, NothingIsAllocatedFromTheFirstProbeToThePortsClose) {
    uint32_t reports = 0;
    ASSERT_EQ(Run([&reports] { ++reports; }), ResultOk);

    EXPECT_EQ(module.Model().StoredSet().size(), GetParam().blocks);
    EXPECT_EQ(reports, GetParam().blocks);
    // The window held every block: its command and its data, besides probe, handshake and
    // switch-off.
    EXPECT_GE(port.ArmedWrites(), 2 * GetParam().blocks + 3);
    EXPECT_EQ(heap::Allocations(), 0u);
}

// The counter must see what happens inside the block loop: a progress display that allocates
// on each report is caught once per block.
TEST_P(HeapDuringTransfer, AnAllocationInTheBlockLoopIsCaught) {
    static void* volatile kept = nullptr;
    ASSERT_EQ(Run([] {
                  kept = ::operator new(32);
                  ::operator delete(kept);
              }),
              ResultOk);

    EXPECT_EQ(heap::Allocations(), GetParam().blocks);
}

INSTANTIATE_TEST_SUITE_P(
    BothProcedures, HeapDuringTransfer,
    ::testing::Values(Transfer{"Text", "31", sim::Family::K31, TextFile(), 4},
                      Transfer{"Binary", "47", sim::Family::K47, BinaryFile(), 3}),
    [](const ::testing::TestParamInfo<Transfer>& info) { return info.param.name; });

}  // namespace
}  // namespace corvane::test
