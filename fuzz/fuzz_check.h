#pragma once
// A failed property ends the fuzz run with a report naming the check.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond) \
  ((cond) ? void(0) : (std::fprintf(stderr, "check failed: %s (line %d)\n", #cond, __LINE__), std::abort()))
