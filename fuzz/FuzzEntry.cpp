#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "fuzz/cases/Cases.h"

// Built once per target: CORVANE_FUZZ_CASE names the case the target runs.

namespace {

const corvane::fuzz::FuzzCase* TheCase() {
    static const auto* const found =
        std::find_if(corvane::fuzz::AllCases.begin(), corvane::fuzz::AllCases.end(),
                     [](const corvane::fuzz::FuzzCase& c) { return c.name == CORVANE_FUZZ_CASE; });
    return found != corvane::fuzz::AllCases.end() ? found : nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (TheCase() == nullptr) {
        std::fprintf(stderr, "no fuzz case named %s\n", CORVANE_FUZZ_CASE);
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const corvane::fuzz::Violations violations = TheCase()->check({data, size});
    for (const std::string& violation : violations) {
        std::fprintf(stderr, "%s: %s\n", CORVANE_FUZZ_CASE, violation.c_str());
    }
    // A broken property is a finding like a crash: libFuzzer keeps the input.
    if (!violations.empty()) {
        std::abort();
    }
    return 0;
}
