#pragma once

#include <string>
#include <vector>

namespace corvane::fuzz {

// What a case found wrong, one line per broken property; empty when the run was sound.
using Violations = std::vector<std::string>;

inline void Expect(Violations& violations, bool holds, const std::string& property) {
    if (!holds) {
        violations.push_back(property);
    }
}

}  // namespace corvane::fuzz
