#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

// FNV-1a over bytes: a digest of a match's state or of a whole run, cheap and the same everywhere.
class Fnv {
public:
    void add(const void* data, std::size_t size)
    {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) value = (value ^ bytes[i]) * 1099511628211ull;
    }
    // A plain value's bytes.
    template <typename T> void addValue(const T& item) { add(&item, sizeof item); }
    // The characters and an end mark, so that "ab" + "c" differs from "a" + "bc".
    void addText(const std::string& text) { add(text.c_str(), text.size() + 1); }

    std::uint64_t value = 14695981039346656037ull;
};
