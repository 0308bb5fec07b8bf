#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Image files are untrusted input and the image library is old: its BMP reader overruns the heap on
// huge dimensions and its PNG reader leaks on damaged compressed data. So a file reaches the library
// only after its structure has been checked here, and only from memory, as the format checked.

using Bytes = std::vector<unsigned char>;

enum class ImageFormat { Unknown, Png, Bmp };

// No side of an image the checks accept is longer than this, in pixels (the game's are 64): larger
// ones would stall start-up decoding.
constexpr std::uint32_t kMaxImageSide = 4096;

// Reads the whole file; false, with the reason in problem, when it is missing, a directory, not a
// regular file, too large to be an image, or unreadable.
bool readImageFile(const std::string& path, Bytes& bytes, std::string& problem);

// The format of bytes whose structure passed the checks; Unknown, with the reason in problem, otherwise.
// A PNG needs a sane header chunk first, every chunk inside the file with a correct checksum, a full
// palette (an entry for every index its bit depth allows) when it is a palette image, consecutive image
// data that inflates to exactly the rows the header implies, each with a known filter type, and an end
// chunk. A BMP must be uncompressed (or bit-field), with a full palette if any, its headers, palette
// and padded pixel rows inside the file and its pixels after its headers.
ImageFormat checkedImageFormat(const Bytes& bytes, std::string& problem);

// Bytes the image data of a PNG with a sane header chunk must inflate to: per row a filter byte and the
// packed pixels, pass by pass when interlaced; 0 when the header chunk is not sane.
std::uint64_t pngInflatedBytes(const Bytes& png);
