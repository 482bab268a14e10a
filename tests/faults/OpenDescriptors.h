#pragma once

#include <map>
#include <string>

namespace corvane::test {

// The process's open file descriptors and what each refers to (a path, "pipe:[…]", …).
std::map<int, std::string> OpenDescriptors();

// The descriptors of `after` that `before` did not hold, or held for something else.
std::map<int, std::string> AddedDescriptors(const std::map<int, std::string>& before,
                                            const std::map<int, std::string>& after);

}  // namespace corvane::test
