#pragma once
// The stored-text encoding that hides some key names and values of the
// settings file. Pure text code (no windows.h) so it can also be built natively
// for sanitizer and fuzzing runs.
#include <string>

// Tells whether a byte starts a double-byte character in the active code page.
// Null means a single-byte code page: every character is one byte.
using LeadBytePredicate = bool (*)(unsigned char byte);

// Reverses the characters, chains each byte with the previous encoded one by
// XOR, and writes every byte as two base-21 digits ("0"-"9", "a"-"k").
void EncodeStoredText(std::string& text, LeadBytePredicate isLeadByte = nullptr);

// The inverse. Malformed input never fails: each pair is read by strtol's
// rules (so "A"-"K" count like "a"-"k" and a non-digit ends the number), an odd
// length leaves a last one-character pair, and the text ends at a NUL byte.
void DecodeStoredText(std::string& text, LeadBytePredicate isLeadByte = nullptr);
