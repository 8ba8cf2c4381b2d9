// Counts every heap allocation of the test binary that links
// allocation_counter.cpp, which replaces the global operator new.
#pragma once

namespace tessaly::test {

// The number of operator new calls since the program started.
long allocationCount();

}  // namespace tessaly::test
