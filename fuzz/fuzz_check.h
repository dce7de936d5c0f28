// A check that stops the fuzzer with a message when an invariant breaks.
#ifndef QUILLON_FUZZ_FUZZ_CHECK_H_
#define QUILLON_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                            \
  do {                                                                   \
    if (!(condition)) {                                                  \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__,    \
                   __LINE__, #condition);                                \
      std::abort();                                                      \
    }                                                                    \
  } while (0)

#endif  // QUILLON_FUZZ_FUZZ_CHECK_H_
