// Helpers shared by the fuzz targets: the fuzzer's bytes as the kinds of text the parsers take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvana::fuzz {

inline std::string_view Bytes(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Two bytes a character, as wide strings come from Windows (any code unit, lone surrogates too).
inline std::wstring Wide(const uint8_t* data, size_t size) {
    std::wstring text;
    text.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
    return text;
}

// The stand-in for the system's ANSI code page: every byte is the character of that code.
inline std::wstring Latin1(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (char c : bytes) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return text;
}

// A broken property stops the run with the input that broke it.
#define FUZZ_CHECK(condition)               \
    do {                                    \
        if (!(condition)) __builtin_trap(); \
    } while (0)

}  // namespace corvana::fuzz
