#pragma once
// Text of a double-byte code page (932, Japanese), for the tests that run with
// it as the programs' code page: the "InCodePage932." tests, whose Wine is
// started with a Japanese locale.
#include <gtest/gtest.h>

#include <string>

constexpr unsigned kDoubleByteCodePage = 932;

// Whether this process (and the programs it starts) runs with code page 932.
// Where Wine was started in the Japanese locale for it and it is not, the
// test fails rather than skip.
bool InDoubleByteCodePage();

// `count` characters of a Japanese title ("display image" over and over) in
// code page 932, after `prefix`. Their second bytes include a backslash.
std::string DoubleByteTitle(const std::string& prefix, size_t count);

// `shown` is `whole` cut to at most `limit` bytes between two characters,
// keeping as many as fit.
::testing::AssertionResult CutBetweenCharacters(const std::string& shown, const std::string& whole,
                                                size_t limit);
