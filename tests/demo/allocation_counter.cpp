// Global operator new and delete that count allocations. They live in their
// own file so the compiler cannot inline them into the tests and pair the
// wrong functions in its diagnostics.
#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* memory = std::malloc(size == 0 ? 1 : size)) {
    return memory;
  }
  throw std::bad_alloc();
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace tessaly::test {

long allocationCount() { return allocations.load(); }

}  // namespace tessaly::test
