#pragma once
// Text of other programs (window titles, stored names) made fit for a line of
// the log or a notification. Text is in the program's code page, where one
// character may take two bytes: it is walked by characters, never by bytes.
#include <windows.h>

#include <string>

// `text` with every control character (line breaks, tabs) replaced by a space.
std::string OnOneLine(const std::string& text, UINT codePage = CP_ACP);

// The longest start of `text` of at most `maxBytes` bytes that ends between
// two characters.
std::string CutBetweenCharacters(const std::string& text, size_t maxBytes, UINT codePage = CP_ACP);
