// PNG files of pictures: see picture.h.
//
// libpng reports errors by a longjmp back to the setjmp of its caller. The functions that
// call setjmp hold no object with a destructor, so nothing is skipped; the message is kept
// and thrown as an exception once libpng is out of the way.

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "picture.h"

namespace trx::host {
namespace {

// Pictures are mostly flat colour: the fastest zlib level with one cheap filter is small
// enough, and several times faster than the default level with adaptive filters.
constexpr int kCompressionLevel = 1;
constexpr int kFilter = PNG_FILTER_SUB;

struct Failure {
    char text[256] = "";
};

void onError(png_structp png, png_const_charp message) {
    auto* failure = static_cast<Failure*>(png_get_error_ptr(png));
    std::snprintf(failure->text, sizeof failure->text, "%s", message);
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

bool writeRows(png_structp png, png_infop info, std::FILE* file, const Picture& picture) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
                 static_cast<png_uint_32>(picture.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, kCompressionLevel);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, kFilter);
    png_write_info(png, info);
    const std::size_t stride = static_cast<std::size_t>(picture.width) * 3;
    for (int y = 0; y < picture.height; ++y) png_write_row(png, &picture.rgb[y * stride]);
    png_write_end(png, nullptr);
    return true;
}

// Any PNG as 8-bit RGB: palettes, grey, 16 bits and alpha are converted.
bool readRows(png_structp png, png_infop info, std::FILE* file, Picture& picture) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
    png_read_info(png, info);
    const png_byte colour = png_get_color_type(png, info);
    if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    picture.width = static_cast<int>(png_get_image_width(png, info));
    picture.height = static_cast<int>(png_get_image_height(png, info));
    const std::size_t stride = static_cast<std::size_t>(picture.width) * 3;
    if (png_get_rowbytes(png, info) != stride) png_error(png, "not convertible to 8-bit RGB");
    picture.rgb.assign(stride * picture.height, 0);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < picture.height; ++y)
            png_read_row(png, &picture.rgb[y * stride], nullptr);
    png_read_end(png, nullptr);
    return true;
}

std::runtime_error failure(const char* what, const std::string& path, const std::string& why) {
    return std::runtime_error(std::string("cannot ") + what + " PNG '" + path + "': " + why);
}

}  // namespace

void writePng(const Picture& picture, const std::string& path) {
    if (picture.width < 1 || picture.height < 1 ||
        picture.rgb.size() != static_cast<std::size_t>(picture.width) * picture.height * 3)
        throw failure("write", path, "the picture's size does not match its pixels");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw failure("write", path, std::strerror(errno));
    Failure libpng;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &libpng, onError, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool written = png && info && writeRows(png, info, file, picture);
    png_destroy_write_struct(&png, &info);
    const bool closed = std::fclose(file) == 0;
    if (written && closed) return;
    const std::string why =
        !written ? (*libpng.text ? libpng.text : "out of memory") : std::strerror(errno);
    // No half-written picture left behind (but a device stays where it is).
    std::error_code ignored;
    if (std::filesystem::is_regular_file(path, ignored)) std::filesystem::remove(path, ignored);
    throw failure("write", path, why);
}

Picture readPng(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) throw failure("read", path, std::strerror(errno));
    png_byte signature[8] = {};
    if (std::fread(signature, 1, sizeof signature, file) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0) {
        std::fclose(file);
        throw failure("read", path, "not a PNG file");
    }
    Failure libpng;
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &libpng, onError, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    Picture picture;
    const bool read = png && info && readRows(png, info, file, picture);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    if (!read) throw failure("read", path, *libpng.text ? libpng.text : "out of memory");
    return picture;
}

}  // namespace trx::host
