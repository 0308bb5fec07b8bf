#include "TextureManager.h"

#include <cstdio>
#include <iostream>
#include <string>

#include "ImageFile.h"

#define ILUT_USE_OPENGL
#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>

namespace {

constexpr int kExpectedImageLibraryVersion = 178;

struct TextureFile {
    const char* name;
    const char* path;
};

// Loaded in this order, which fixes only their texture names: the game looks each up by key (deflected bullets
// by "reflected").
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

// The image library's reason for its last failure.
std::string imageLibraryError()
{
    const ILenum error = ilGetError();
    const char* text = error != IL_NO_ERROR ? iluErrorString(error) : "no reason given";
    return text != nullptr ? text : "error " + std::to_string(error);
}

// Decodes bytes that passed the checks, from memory so the library sees exactly what was checked, and
// makes them a texture; 0, with the reason in problem, when either step fails.
GLuint uploadImage(const Bytes& bytes, ImageFormat format, std::string& problem)
{
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    GLuint texture = 0;
    if (ilLoadL(format == ImageFormat::Png ? IL_PNG : IL_BMP, bytes.data(), static_cast<ILuint>(bytes.size())) ==
        IL_FALSE)
        problem = "the image library could not decode it (" + imageLibraryError() + ")";
    else if ((texture = ilutGLBindTexImage()) == 0)
        problem = "could not make an OpenGL texture of it (" + imageLibraryError() + ")";
    ilDeleteImages(1, &image);
    drainImageErrors();
    return texture;
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
    iluInit(); // for its error strings
    Bytes bytes;
    std::string problem;
    const ImageFormat format =
        readImageFile(path, bytes, problem) ? checkedImageFormat(bytes, problem) : ImageFormat::Unknown;
    // Texture name 0 is OpenGL's empty default texture, so an upload that returns it also failed.
    const GLuint texture = format != ImageFormat::Unknown ? uploadImage(bytes, format, problem) : 0;
    if (texture == 0) {
        std::cout << "loading image unsuccessful" << std::endl;
        std::cerr << path << ": " << problem << std::endl;
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
