#include "TextureManager.h"

#include <cstdio>
#include <iostream>

#include "ImageFile.h"

#define ILUT_USE_OPENGL
#include <IL/il.h>
#include <IL/ilut.h>

namespace {

constexpr int kExpectedImageLibraryVersion = 178;

struct TextureFile {
    const char* name;
    const char* path;
};

// "reflected" must stay first: it becomes texture name 1, which deflected bullets use directly.
constexpr TextureFile kTextureTable[] = {
    {"reflected", "Content/Graphics/reflected.png"},
    {"apple", "Content/Graphics/apple.png"},
    {"whitecircle", "Content/Graphics/whiteCircle.png"},
    {"dcircle", "Content/Graphics/dCircle.png"},
    {"white", "Content/Graphics/whitepixel.bmp"},
    {"dsquare", "Content/Graphics/dSquare.png"},
    {"p2", "Content/Graphics/p2Circle.png"},
    {"ball", "Content/Graphics/fireball.png"},
};

// A failed call leaves its errors queued; drop them so they are not blamed on the next image.
void drainImageErrors()
{
    while (ilGetError() != IL_NO_ERROR) {
    }
}

// The image library's type for a file whose structure passed the checks, or IL_TYPE_UNKNOWN.
ILenum checkedImageType(const Bytes& bytes)
{
    switch (checkedImageFormat(bytes)) {
    case ImageFormat::Png: return IL_PNG;
    case ImageFormat::Bmp: return IL_BMP;
    case ImageFormat::Unknown: break;
    }
    return IL_TYPE_UNKNOWN;
}

} // namespace

TextureManager::TextureManager()
{
    std::cout << "gets called" << std::endl;
    if (ilGetInteger(IL_VERSION_NUM) < kExpectedImageLibraryVersion) {
        std::printf("DevIL version is different...you should do something about that!\n");
        std::fflush(stdout);
    }
    if (!ilutRenderer(ILUT_OPENGL)) std::cout << "failed to init ilut" << std::endl;
    drainImageErrors();
}

void TextureManager::loadTexture(const std::string& path, const std::string& name)
{
    ilInit();
    Bytes bytes;
    const ILenum type = readImageFile(path, bytes) ? checkedImageType(bytes) : IL_TYPE_UNKNOWN;
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // From memory, so the library decodes exactly the bytes that were checked.
    const bool loaded =
        type != IL_TYPE_UNKNOWN && ilLoadL(type, bytes.data(), static_cast<ILuint>(bytes.size())) != IL_FALSE;
    GLuint texture = 0;
    if (loaded) {
        ilBindImage(image);
        texture = ilutGLBindTexImage();
    }
    ilDeleteImages(1, &image);
    drainImageErrors();
    // Texture name 0 is OpenGL's empty default texture, so an upload that returns it also failed.
    if (texture == 0) {
        std::cout << "loading image unsuccessful" << std::endl;
        return;
    }
    byName[name] = texture;
}

void TextureManager::loadAllTextures()
{
    for (const TextureFile& file : kTextureTable) loadTexture(file.path, file.name);
}

std::uint32_t TextureManager::getTexture(const std::string& name) const
{
    const auto found = byName.find(name);
    return found != byName.end() ? found->second : 0;
}
