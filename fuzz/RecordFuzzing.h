#pragma once
// The two ways a record fuzzer reads its input: the bytes as a stored record,
// read back from the settings file, and as values a record is formatted from.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

inline void FuzzRecord(const uint8_t* data, size_t size,
                       void (*checkParsesAnything)(const std::string& record),
                       void (*checkRoundTrip)(FuzzedDataProvider& provider)) {
    checkParsesAnything(std::string(reinterpret_cast<const char*>(data), size));
    FuzzedDataProvider provider(data, size);
    checkRoundTrip(provider);
}
