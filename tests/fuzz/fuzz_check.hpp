#pragma once
#include <cstdio>
#include <cstdlib>

// A reader that returns something impossible is a finding too, not only a crash.
#define QV_FUZZ_REQUIRE(condition)                                                    \
  do {                                                                                \
    if (!(condition)) {                                                               \
      std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)
