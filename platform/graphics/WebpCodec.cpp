// WebP decoding with libwebp: stills in one call, animations through
// the demuxer's frame compositor (blending and disposal done by libwebp), one frame after another.
#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>

#include "platform/graphics/ImageDecoder.h"
#include "platform/graphics/ImageError.h"
#include "platform/graphics/Pixels.h"

namespace platform {
namespace {

Error webpError(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_NOT_ENOUGH_DATA:
      return imageError(ImageError::Truncated, "truncated data");
    case VP8_STATUS_UNSUPPORTED_FEATURE:
      return imageError(ImageError::Unsupported, "unsupported WebP feature");
    case VP8_STATUS_OUT_OF_MEMORY:
      return imageError(ImageError::TooLarge, "out of memory decoding WebP");
    default:
      return imageError(ImageError::Corrupt,
                        "corrupt WebP data (status " + std::to_string(status) + ")");
  }
}

struct DemuxDeleter {
  void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};
struct AnimDecoderDeleter {
  void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

class WebpDecoder final : public ImageDecoder {
 public:
  using ImageDecoder::ImageDecoder;

  void readInfo();
  FrameResult decode(std::size_t index) override;

 private:
  void readAnimation();
  FrameResult decodeStill();
  FrameResult decodeAnimated(std::size_t index);
  AlphaInfo alphaInfo() const {
    return features_.has_alpha ? AlphaInfo::PremultipliedFirst : AlphaInfo::NoneSkipLast;
  }

  WebPBitstreamFeatures features_{};
  int width_ = 0;
  int height_ = 0;
  std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> animation_;
  std::size_t produced_ = 0;            // frames the animation decoder has handed out
  const std::uint8_t* last_ = nullptr;  // its canvas after frame produced_ - 1
};

void WebpDecoder::readInfo() {
  const VP8StatusCode status = WebPGetFeatures(bytes_.data(), bytes_.size(), &features_);
  if (status != VP8_STATUS_OK) {
    status_ = webpError(status);
    return;
  }
  if (features_.has_animation) {
    readAnimation();
    return;
  }
  width_ = features_.width;
  height_ = features_.height;
  frames_.push_back(frameOfSize(width_, height_));
}

void WebpDecoder::readAnimation() {
  const WebPData data{bytes_.data(), bytes_.size()};
  std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemux(&data));
  if (!demux) {
    status_ = imageError(ImageError::Truncated, "truncated or corrupt animated WebP");
    return;
  }
  width_ = static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
  height_ = static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
  if (Status size = checkSize(width_, height_); !size) {
    frames_.push_back(frameOfSize(width_, height_));
    status_ = size;
    return;
  }
  const std::uint64_t canvas = static_cast<std::uint64_t>(width_) * height_;
  WebPIterator iter;
  if (!WebPDemuxGetFrame(demux.get(), 1, &iter)) {
    status_ = imageError(ImageError::Corrupt, "corrupt WebP data: no frames");
    return;
  }
  do {
    FrameProperties frame = frameOfSize(width_, height_);
    frame.webpDelayTime = iter.duration / 1000.0;
    if (!admitFrame(frame, canvas)) break;
  } while (WebPDemuxNextFrame(&iter));
  WebPDemuxReleaseIterator(&iter);
}

ImageDecoder::FrameResult WebpDecoder::decode(std::size_t index) {
  if (Status size = checkSize(width_, height_); !size) return failure(size.error());
  return features_.has_animation ? decodeAnimated(index) : decodeStill();
}

ImageDecoder::FrameResult WebpDecoder::decodeStill() {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width_) * height_);
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) {
    return failure(imageError(ImageError::Unsupported, "libwebp version mismatch"));
  }
  // Straight RGBA, premultiplied here with the same rounding as every other decoder, so one
  // picture gives the same pixels whichever lossless format carried it.
  config.output.colorspace = MODE_RGBA;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = reinterpret_cast<std::uint8_t*>(pixels.data());
  config.output.u.RGBA.stride = width_ * 4;
  config.output.u.RGBA.size = pixels.size() * 4;
  const VP8StatusCode status = WebPDecode(bytes_.data(), bytes_.size(), &config);
  WebPFreeDecBuffer(&config.output);
  if (status != VP8_STATUS_OK) return failure(webpError(status));
  for (std::uint32_t& word : pixels) {
    std::uint8_t rgba[4];
    std::memcpy(rgba, &word, 4);
    word = pixels::packStraight(rgba[0], rgba[1], rgba[2], rgba[3]);
  }
  return success(Bitmap::create(width_, height_, std::move(pixels), alphaInfo(), ColorModel::RGB));
}

ImageDecoder::FrameResult WebpDecoder::decodeAnimated(std::size_t index) {
  if (!animation_) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) {
      return failure(imageError(ImageError::Unsupported, "libwebp version mismatch"));
    }
    options.color_mode = MODE_RGBA;
    const WebPData data{bytes_.data(), bytes_.size()};
    animation_.reset(WebPAnimDecoderNew(&data, &options));
    if (!animation_) return failure(imageError(ImageError::Corrupt, "corrupt animated WebP"));
  }
  if (produced_ == 0 || index + 1 < produced_) {  // going back means starting over
    WebPAnimDecoderReset(animation_.get());
    produced_ = 0;
  }
  while (produced_ <= index) {
    std::uint8_t* buffer = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(animation_.get(), &buffer, &timestamp)) {
      animation_.reset();
      produced_ = 0;
      return failure(imageError(ImageError::Corrupt, "corrupt animated WebP frame"));
    }
    last_ = buffer;
    ++produced_;
  }
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width_) * height_);
  const std::uint8_t* rgba = last_;
  for (std::uint32_t& word : pixels) {
    word = pixels::packStraight(rgba[0], rgba[1], rgba[2], rgba[3]);
    rgba += 4;
  }
  return success(Bitmap::create(width_, height_, std::move(pixels), alphaInfo(), ColorModel::RGB));
}

}  // namespace

std::unique_ptr<ImageDecoder> makeWebpDecoder(ImageDecoder::Bytes bytes,
                                              const DecodeLimits& limits) {
  auto decoder = std::make_unique<WebpDecoder>(bytes, limits);
  decoder->readInfo();
  return decoder;
}

}  // namespace platform
