#pragma once
// The check the fuzzers state their properties with. Not assert(): a property
// must fail the run in every build, NDEBUG or not. abort() is a crash to
// libFuzzer, so the input that broke the property is saved as an artifact.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__,        \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
