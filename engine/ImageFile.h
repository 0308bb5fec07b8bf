#pragma once

#include <string>
#include <vector>

// Image files are untrusted input and the image library is old: its BMP reader overruns the heap on
// huge dimensions and its PNG reader leaks on truncated files. So a file reaches the library only
// after its structure has been checked here, and only from memory, as the format checked.

using Bytes = std::vector<unsigned char>;

enum class ImageFormat { Unknown, Png, Bmp };

// Reads the whole file; false when it is missing, not a regular file, or too large to be an image.
bool readImageFile(const std::string& path, Bytes& bytes);

// Signature, a sane header chunk first, every chunk inside the file with a correct checksum, image
// data, and an end chunk.
bool isSoundPng(const Bytes& bytes);

// An uncompressed (or bit-field) bitmap whose header, palette and pixel rows all lie inside the file.
bool isSoundBmp(const Bytes& bytes);

// The format of a file whose structure passed the checks, or Unknown.
ImageFormat checkedImageFormat(const Bytes& bytes);
