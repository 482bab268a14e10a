#pragma once

#include <cstddef>

namespace corvane::test::heap {

// Counts the allocations that go through the global operator new while armed, except those
// made inside an Uncounted scope. The test executable that links HeapCounter.cpp replaces the
// global operator new and delete for its whole life.
void Arm();
void Disarm();
bool Armed();
size_t Allocations();

// Allocations made while one of these lives are not counted: what the test's own fakes do.
class Uncounted {
  public:
    Uncounted();
    ~Uncounted();
    Uncounted(const Uncounted&) = delete;
    Uncounted& operator=(const Uncounted&) = delete;
};

}  // namespace corvane::test::heap
