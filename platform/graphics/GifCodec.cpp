// GIF decoding with giflib's record-level API (never DGifSlurp, which allocates every frame at its
// declared size before anything can be checked).
//
// create() walks the records once, skipping the compressed pixels, to learn the frames and their
// control blocks; only frames whose bytes are all there are offered. Frames are then decoded in
// order on one canvas, kept between calls, so playing an animation costs one pass and memory stays
// at two canvases whatever the frame count.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "platform/graphics/ImageDecoder.h"
#include "platform/graphics/ImageError.h"
#include "platform/graphics/Pixels.h"

namespace platform {
namespace {

struct GifInput {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t position;
};

int readBytes(GifFileType* gif, GifByteType* out, int length) {
  auto* in = static_cast<GifInput*>(gif->UserData);
  const std::size_t n = std::min<std::size_t>(std::max(length, 0), in->size - in->position);
  std::memcpy(out, in->data + in->position, n);
  in->position += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

Error gifError(int code) {
  if (code == D_GIF_ERR_READ_FAILED || code == D_GIF_ERR_EOF_TOO_SOON) {
    return imageError(ImageError::Truncated, "truncated data");
  }
  const char* text = GifErrorString(code);
  return imageError(ImageError::Corrupt, std::string("corrupt GIF data: ") +
                                             (text ? text : std::to_string(code).c_str()));
}

struct GifFrame {
  int left, top, width, height;
  int disposal;
  int transparentIndex;
};

// Skips the compressed pixels of the image whose descriptor was just read.
bool skipPixels(GifFileType* gif) {
  int codeSize = 0;
  GifByteType* block = nullptr;
  if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR) return false;
  while (block != nullptr) {
    if (DGifGetCodeNext(gif, &block) == GIF_ERROR) return false;
  }
  return true;
}

// Reads an extension; a graphic control block, if that is what it was, lands in `control`.
bool readExtension(GifFileType* gif, std::optional<GraphicsControlBlock>& control) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
  if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] == 4) {
    GraphicsControlBlock gcb{};
    if (DGifExtensionToGCB(4, block + 1, &gcb) == GIF_OK) control = gcb;
  }
  while (block != nullptr) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  }
  return true;
}

enum class Next { Image, End, Error };

// Advances to the next image descriptor (read) past any extensions. End at the trailer, and also
// where the data ends or stops making sense between two records: a missing trailer or stray bytes
// after the last frame are common on the web and every browser shows the frames before them.
// Error: a record started but is broken or cut (gif->Error says how).
Next nextImage(GifFileType* gif, std::optional<GraphicsControlBlock>& control) {
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return Next::End;
    switch (type) {
      case IMAGE_DESC_RECORD_TYPE:
        return DGifGetImageDesc(gif) == GIF_OK ? Next::Image : Next::Error;
      case EXTENSION_RECORD_TYPE:
        if (!readExtension(gif, control)) return Next::Error;
        break;
      default:
        return Next::End;
    }
  }
}

class GifDecoder final : public ImageDecoder {
 public:
  using ImageDecoder::ImageDecoder;

  void scan();
  FrameResult decode(std::size_t index) override;

 private:
  GifHandle open(int* error) {
    input_ = GifInput{bytes_.data(), bytes_.size(), 0};
    return GifHandle(DGifOpen(&input_, readBytes, error));
  }
  std::uint64_t canvasPixels() const {
    return static_cast<std::uint64_t>(width_) * static_cast<std::uint64_t>(height_);
  }
  bool restart(int* error);
  void dispose(const GifFrame& frame);
  Status draw(const GifFrame& frame);
  void fillRect(const GifFrame& frame, const std::vector<std::uint32_t>* from);

  int width_ = 0;
  int height_ = 0;
  std::vector<GifFrame> gifFrames_;
  // Decoding state: the open file is positioned after frame drawn_ - 1, whose disposal is due.
  GifInput input_{};
  GifHandle gif_;
  std::size_t drawn_ = 0;
  std::vector<std::uint32_t> canvas_;
  std::vector<std::uint32_t> previous_;  // canvas before the last frame that disposes to previous
  std::vector<GifByteType> line_;
};

void GifDecoder::scan() {
  int error = 0;
  GifHandle gif = open(&error);
  if (!gif) {
    status_ = gifError(error);
    return;
  }
  width_ = gif->SWidth;
  height_ = gif->SHeight;
  FrameProperties properties = frameOfSize(width_, height_);
  if (Status size = checkSize(width_, height_); !size) {
    // Offered as one frame so the size can be read; decoding it reports the error.
    frames_.push_back(properties);
    status_ = size;
    return;
  }
  std::optional<GraphicsControlBlock> control;
  Next next = Next::Image;
  while ((next = nextImage(gif.get(), control)) == Next::Image) {
    const GifImageDesc& desc = gif->Image;
    GifFrame frame{desc.Left,           desc.Top, desc.Width, desc.Height, DISPOSAL_UNSPECIFIED,
                   NO_TRANSPARENT_COLOR};
    properties.gifDelayTime.reset();
    properties.gifUnclampedDelayTime.reset();
    if (control) {
      frame.disposal = control->DisposalMode;
      frame.transparentIndex = control->TransparentColor;
      properties.gifDelayTime = control->DelayTime / 100.0;
      properties.gifUnclampedDelayTime = properties.gifDelayTime;
    }
    control.reset();
    if (Status size = checkSize(std::max(frame.width, 1), std::max(frame.height, 1)); !size) {
      status_ = size;
      return;
    }
    if (!skipPixels(gif.get())) break;
    const std::uint64_t work = std::max<std::uint64_t>(
        canvasPixels(), static_cast<std::uint64_t>(frame.width) * frame.height);
    if (!admitFrame(properties, work)) return;
    gifFrames_.push_back(frame);
  }
  if (next == Next::End && !frames_.empty()) return;
  if (gif->Error != 0 && gif->Error != D_GIF_ERR_WRONG_RECORD) {
    status_ = gifError(gif->Error);
  } else if (frames_.empty()) {
    status_ = imageError(ImageError::Corrupt, "corrupt GIF data: no frames");
  }
}

bool GifDecoder::restart(int* error) {
  gif_.reset();
  gif_ = open(error);
  if (!gif_) return false;
  drawn_ = 0;
  canvas_.assign(canvasPixels(), 0);
  line_.resize(65536);
  return true;
}

void GifDecoder::fillRect(const GifFrame& frame, const std::vector<std::uint32_t>* from) {
  const int x0 = std::max(frame.left, 0), x1 = std::min(frame.left + frame.width, width_);
  const int y0 = std::max(frame.top, 0), y1 = std::min(frame.top + frame.height, height_);
  for (int y = y0; y < y1; ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * width_;
    for (int x = x0; x < x1; ++x) canvas_[row + x] = from ? (*from)[row + x] : 0;
  }
}

void GifDecoder::dispose(const GifFrame& frame) {
  if (frame.disposal == DISPOSE_BACKGROUND) {
    fillRect(frame, nullptr);  // the background shows through as transparent, as browsers do
  } else if (frame.disposal == DISPOSE_PREVIOUS && !previous_.empty()) {
    fillRect(frame, &previous_);
  }
}

// Decodes the image whose descriptor was just read onto the canvas.
Status GifDecoder::draw(const GifFrame& frame) {
  const ColorMapObject* map = gif_->Image.ColorMap ? gif_->Image.ColorMap : gif_->SColorMap;
  if (frame.width <= 0 || frame.height <= 0) {
    if (!skipPixels(gif_.get())) return gifError(gif_->Error);
    return Status::ok();
  }
  if (map == nullptr) return imageError(ImageError::Corrupt, "corrupt GIF data: no color table");
  std::uint32_t colors[256] = {};
  for (int i = 0; i < std::min(map->ColorCount, 256); ++i) {
    const GifColorType& c = map->Colors[i];
    colors[i] = pixels::pack(255, c.Red, c.Green, c.Blue);
  }
  if (frame.transparentIndex >= 0 && frame.transparentIndex < 256) {
    colors[frame.transparentIndex] = 0;
  }
  // Interlaced frames deliver rows in four passes: every 8th from 0, every 8th from 4, every 4th
  // from 2, every 2nd from 1.
  static constexpr int kStart[4] = {0, 4, 2, 1};
  static constexpr int kStep[4] = {8, 8, 4, 2};
  const int passes = gif_->Image.Interlace ? 4 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    const int start = passes == 1 ? 0 : kStart[pass];
    const int step = passes == 1 ? 1 : kStep[pass];
    for (int row = start; row < frame.height; row += step) {
      if (DGifGetLine(gif_.get(), line_.data(), frame.width) == GIF_ERROR) {
        return gifError(gif_->Error);
      }
      const int y = frame.top + row;
      if (y < 0 || y >= height_) continue;
      std::uint32_t* out = canvas_.data() + static_cast<std::size_t>(y) * width_;
      const int x0 = std::max(0, -frame.left);
      const int x1 = std::min(frame.width, width_ - frame.left);
      for (int x = x0; x < x1; ++x) {
        // Indexes past the table draw nothing, like the transparent one.
        const std::uint32_t color = colors[line_[x]];
        if (color != 0) out[frame.left + x] = color;
      }
    }
  }
  return Status::ok();
}

ImageDecoder::FrameResult GifDecoder::decode(std::size_t index) {
  if (Status size = checkSize(width_, height_); !size) return failure(size.error());
  if (!gif_ || drawn_ == 0 || index + 1 < drawn_) {  // going back means starting over
    int error = 0;
    if (!restart(&error)) return failure(gifError(error));
  }
  while (drawn_ <= index) {
    std::optional<GraphicsControlBlock> control;
    if (nextImage(gif_.get(), control) != Next::Image) {
      const int code = gif_->Error != 0 ? gif_->Error : D_GIF_ERR_EOF_TOO_SOON;
      gif_.reset();
      return failure(gifError(code));
    }
    if (drawn_ > 0) dispose(gifFrames_[drawn_ - 1]);
    const GifFrame& frame = gifFrames_[drawn_];
    if (frame.disposal == DISPOSE_PREVIOUS) previous_ = canvas_;
    if (Status drawn = draw(frame); !drawn) {
      gif_.reset();
      return failure(drawn.error());
    }
    ++drawn_;
  }
  if (index + 1 != drawn_) {
    return failure(imageError(ImageError::Corrupt, "corrupt GIF data: frame sequence"));
  }
  return success(
      Bitmap::create(width_, height_, canvas_, AlphaInfo::PremultipliedFirst, ColorModel::RGB));
}

}  // namespace

std::unique_ptr<ImageDecoder> makeGifDecoder(ImageDecoder::Bytes bytes,
                                             const DecodeLimits& limits) {
  auto decoder = std::make_unique<GifDecoder>(bytes, limits);
  decoder->scan();
  return decoder;
}

}  // namespace platform
