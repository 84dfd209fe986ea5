#include "SampleWriters.h"

#include <algorithm>
#include <cstdio>  // before jpeglib.h, which uses FILE and size_t
#include <cstdlib>
#include <cstring>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <webp/encode.h>
#include <webp/mux.h>

namespace samples {
namespace {

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "make_samples: %s\n", what.c_str());
  std::exit(1);  // NOLINT(concurrency-mt-unsafe): the generator is single-threaded
}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || std::fwrite(data, 1, size, file) != size) fail("cannot write " + path);
  std::fclose(file);
}

std::uint8_t grey(const std::uint8_t* p) {
  return static_cast<std::uint8_t>((p[0] * 299 + p[1] * 587 + p[2] * 114 + 500) / 1000);
}

// Rows of `channels` bytes per pixel taken from the picture (RGB, RGBA or grey).
std::vector<std::uint8_t> packed(const Picture& picture, int channels) {
  std::vector<std::uint8_t> out;
  out.reserve(std::size_t(picture.width) * picture.height * channels);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t* p = picture.at(x, y);
      if (channels == 1) {
        out.push_back(grey(p));
      } else {
        out.insert(out.end(), p, p + channels);
      }
    }
  }
  return out;
}

std::vector<png_color> paletteOf(const Picture& picture, std::vector<std::uint8_t>& indexes) {
  std::vector<png_color> palette;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t* p = picture.at(x, y);
      std::size_t i = 0;
      while (i < palette.size() &&
             (palette[i].red != p[0] || palette[i].green != p[1] || palette[i].blue != p[2])) {
        ++i;
      }
      if (i == palette.size()) {
        if (palette.size() == 256) fail("palette picture has more than 256 colours");
        palette.push_back(png_color{p[0], p[1], p[2]});
      }
      indexes.push_back(static_cast<std::uint8_t>(i));
    }
  }
  return palette;
}

// The cube index nearest to a colour: 1 + r*36 + g*6 + b over steps of 51.
std::uint8_t cubeIndex(const std::uint8_t* p) {
  auto step = [](std::uint8_t v) { return (v + 25) / 51; };
  return static_cast<std::uint8_t>(1 + step(p[0]) * 36 + step(p[1]) * 6 + step(p[2]));
}

}  // namespace

Picture Picture::fromSurface(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  Picture picture;
  picture.width = cairo_image_surface_get_width(surface);
  picture.height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const bool opaque = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24;
  const unsigned char* data = cairo_image_surface_get_data(surface);
  for (int y = 0; y < picture.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride);
    for (int x = 0; x < picture.width; ++x) {
      const std::uint32_t p = row[x];
      const std::uint32_t a = opaque ? 255 : p >> 24;
      auto straight = [a](std::uint32_t c) {
        return static_cast<std::uint8_t>(
            a == 0 ? 0 : std::min<std::uint32_t>(255, (c * 255 + a / 2) / a));
      };
      picture.rgba.insert(picture.rgba.end(),
                          {straight((p >> 16) & 0xFF), straight((p >> 8) & 0xFF),
                           straight(p & 0xFF), static_cast<std::uint8_t>(a)});
    }
  }
  return picture;
}

void writePng(const std::string& path, const Picture& picture, PngKind kind, bool interlaced) {
  FILE* file = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (!file || !png || !info || setjmp(png_jmpbuf(png))) fail("cannot write " + path);
  png_init_io(png, file);
  const int channels[] = {4, 3, 1, 1};
  const int types[] = {PNG_COLOR_TYPE_RGBA, PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_GRAY,
                       PNG_COLOR_TYPE_PALETTE};
  const int k = static_cast<int>(kind);
  png_set_IHDR(png, info, picture.width, picture.height, 8, types[k],
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  std::vector<std::uint8_t> bytes;
  std::vector<png_color> palette;
  if (kind == PngKind::Palette) {
    palette = paletteOf(picture, bytes);
    png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  } else {
    bytes = packed(picture, channels[k]);
  }
  std::vector<png_bytep> rows;
  rows.reserve(picture.height);
  for (int y = 0; y < picture.height; ++y) {
    rows.push_back(bytes.data() + std::size_t(y) * picture.width * channels[k]);
  }
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

namespace {

// "Exif\0\0", a TIFF header and IFD0 with one entry: Orientation (0x0112), SHORT, 1 value.
std::vector<std::uint8_t> exifSegment(int orientation, bool bigEndian) {
  auto u16 = [bigEndian](std::vector<std::uint8_t>& out, unsigned v) {
    if (bigEndian)
      out.insert(out.end(), {std::uint8_t(v >> 8), std::uint8_t(v & 0xFF)});
    else
      out.insert(out.end(), {std::uint8_t(v & 0xFF), std::uint8_t(v >> 8)});
  };
  auto u32 = [&u16, bigEndian](std::vector<std::uint8_t>& out, unsigned v) {
    u16(out, bigEndian ? v >> 16 : v & 0xFFFF);
    u16(out, bigEndian ? v & 0xFFFF : v >> 16);
  };
  std::vector<std::uint8_t> out = {'E', 'x', 'i', 'f', 0, 0};
  out.insert(out.end(), bigEndian ? std::initializer_list<std::uint8_t>{'M', 'M'}
                                  : std::initializer_list<std::uint8_t>{'I', 'I'});
  u16(out, 42);
  u32(out, 8);       // IFD0 right after the header
  u16(out, 1);       // one entry
  u16(out, 0x0112);  // Orientation
  u16(out, 3);       // SHORT
  u32(out, 1);
  u16(out, static_cast<unsigned>(orientation));
  u16(out, 0);  // value field padding
  u32(out, 0);  // no next IFD
  return out;
}

// Adobe's convention: 0 means full ink, so the stored bytes are 255 minus the ink.
std::vector<std::uint8_t> invertedCmyk(const Picture& picture) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < picture.rgba.size(); i += 4) {
    const int r = picture.rgba[i], g = picture.rgba[i + 1], b = picture.rgba[i + 2];
    const int k = 255 - std::max({r, g, b});
    auto ink = [k](int v) { return k == 255 ? 0 : (255 - v - k) * 255 / (255 - k); };
    out.insert(out.end(), {std::uint8_t(255 - ink(r)), std::uint8_t(255 - ink(g)),
                           std::uint8_t(255 - ink(b)), std::uint8_t(255 - k)});
  }
  return out;
}

}  // namespace

void writeJpeg(const std::string& path, const Picture& picture, JpegKind kind, int quality,
               std::optional<int> exifOrientation) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) fail("cannot write " + path);
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);  // the default manager exits on error: fine for a tool
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = picture.width;
  cinfo.image_height = picture.height;
  std::vector<std::uint8_t> bytes;
  if (kind == JpegKind::Grey) {
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    bytes = packed(picture, 1);
  } else if (kind == JpegKind::AdobeCmyk) {
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    bytes = invertedCmyk(picture);
  } else {
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    bytes = packed(picture, 3);
  }
  jpeg_set_defaults(&cinfo);  // CMYK input gets a CMYK file with the Adobe marker
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (kind == JpegKind::Progressive) jpeg_simple_progression(&cinfo);
  if (exifOrientation) cinfo.write_JFIF_header = FALSE;
  jpeg_start_compress(&cinfo, TRUE);
  if (exifOrientation) {
    const auto exif = exifSegment(*exifOrientation, *exifOrientation % 2 == 0);
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
  }
  const std::size_t rowBytes = std::size_t(picture.width) * cinfo.input_components;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = bytes.data() + cinfo.next_scanline * rowBytes;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::fclose(file);
}

namespace {

void putGifFrame(GifFileType* gif, const GifFrame& frame) {
  if (frame.disposal) {
    GraphicsControlBlock control{};
    control.DisposalMode = *frame.disposal;
    control.DelayTime = frame.delayCentiseconds;
    control.TransparentColor = 0;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
  }
  const Picture& p = frame.picture;
  if (EGifPutImageDesc(gif, frame.left, frame.top, p.width, p.height, false, nullptr) != GIF_OK) {
    fail("EGifPutImageDesc");
  }
  std::vector<GifPixelType> line(p.width);
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const std::uint8_t* px = p.at(x, y);
      line[x] = frame.disposal && px[3] < 128 ? 0 : cubeIndex(px);
    }
    if (EGifPutLine(gif, line.data(), p.width) != GIF_OK) fail("EGifPutLine");
  }
}

}  // namespace

void writeGif(const std::string& path, int width, int height, const std::vector<GifFrame>& frames) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  if (!gif) fail("cannot write " + path);
  ColorMapObject* map = GifMakeMapObject(256, nullptr);
  map->Colors[0] = GifColorType{255, 0, 255};  // transparent; never shown
  for (int i = 0; i < 216; ++i) {
    map->Colors[1 + i] = GifColorType{std::uint8_t(i / 36 * 51), std::uint8_t(i / 6 % 6 * 51),
                                      std::uint8_t(i % 6 * 51)};
  }
  EGifSetGifVersion(gif, true);
  if (EGifPutScreenDesc(gif, width, height, 8, 0, map) != GIF_OK) fail("EGifPutScreenDesc");
  if (frames.size() > 1) {  // loop forever
    static const GifByteType kLoop[3] = {1, 0, 0};
    EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
    EGifPutExtensionBlock(gif, 3, kLoop);
    EGifPutExtensionTrailer(gif);
  }
  for (const GifFrame& frame : frames) putGifFrame(gif, frame);
  GifFreeMapObject(map);
  if (EGifCloseFile(gif, &error) != GIF_OK) fail("EGifCloseFile");
  chmod(path.c_str(), 0644);  // giflib creates the file readable by its owner only
}

void writeWebp(const std::string& path, const Picture& picture, bool lossless) {
  std::uint8_t* out = nullptr;
  std::size_t size = 0;
  if (lossless) {
    size = WebPEncodeLosslessRGBA(picture.rgba.data(), picture.width, picture.height,
                                  picture.width * 4, &out);
  } else {
    const auto rgb = packed(picture, 3);
    size = WebPEncodeRGB(rgb.data(), picture.width, picture.height, picture.width * 3, 90, &out);
  }
  if (size == 0) fail("WebP encoding of " + path);
  writeFile(path, out, size);
  WebPFree(out);
}

void writeAnimatedWebp(const std::string& path, const std::vector<WebpFrame>& frames) {
  const Picture& first = frames.front().picture;
  WebPAnimEncoderOptions options;
  WebPConfig config;
  if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&config)) fail("libwebp init");
  config.lossless = 1;
  WebPAnimEncoder* encoder = WebPAnimEncoderNew(first.width, first.height, &options);
  int timestamp = 0;
  for (const WebpFrame& frame : frames) {
    WebPPicture picture;
    WebPPictureInit(&picture);
    picture.use_argb = 1;
    picture.width = frame.picture.width;
    picture.height = frame.picture.height;
    WebPPictureImportRGBA(&picture, frame.picture.rgba.data(), frame.picture.width * 4);
    if (!WebPAnimEncoderAdd(encoder, &picture, timestamp, &config)) fail("WebPAnimEncoderAdd");
    WebPPictureFree(&picture);
    timestamp += frame.durationMs;
  }
  WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr);
  WebPData data;
  WebPDataInit(&data);
  if (!WebPAnimEncoderAssemble(encoder, &data)) fail("WebPAnimEncoderAssemble");
  writeFile(path, data.bytes, data.size);
  WebPDataClear(&data);
  WebPAnimEncoderDelete(encoder);
}

void writeTiff(const std::string& path, const Picture& picture, int orientation) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (!tif) fail("cannot write " + path);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, picture.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, picture.height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, orientation);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
  auto rgb = packed(picture, 3);
  for (int y = 0; y < picture.height; ++y) {
    if (TIFFWriteScanline(tif, rgb.data() + std::size_t(y) * picture.width * 3, y, 0) < 0) {
      fail("TIFFWriteScanline");
    }
  }
  TIFFClose(tif);
}

}  // namespace samples
