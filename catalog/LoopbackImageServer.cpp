#include "catalog/LoopbackImageServer.h"

#include <cairo.h>
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "platform/graphics/Context.h"
#include "platform/graphics/ImageEncoder.h"

namespace catalog {
namespace {

constexpr int kSlowChunks = 5;

}  // namespace

// A picture worth looking at: rings and a diagonal band in colours of its own.
platform::Data drawPicture(int index, int side) {
  auto context = platform::Context::create({double(side), double(side)}, 1.0, true);
  cairo_t* cr = context->cairo();
  static constexpr std::uint32_t kPalette[][2] = {
      {0x1E88E5, 0xFDD835}, {0x43A047, 0xF4511E}, {0x8E24AA, 0x00ACC1}, {0xE53935, 0xFFB300},
      {0x3949AB, 0x7CB342}, {0x00897B, 0xD81B60}, {0x6D4C41, 0x26C6DA}};
  const auto& colours = kPalette[index % 7];
  auto pattern = cairo_pattern_create_linear(0, 0, side, side);
  for (int stop = 0; stop < 2; ++stop) {
    const platform::Color c = platform::Color::hex(colours[stop]);
    cairo_pattern_add_color_stop_rgb(pattern, stop, c.r, c.g, c.b);
  }
  cairo_set_source(cr, pattern);
  cairo_paint(cr);
  cairo_pattern_destroy(pattern);
  for (int ring = 0; ring < 6; ++ring) {
    cairo_set_source_rgba(cr, 1, 1, 1, 0.15 + 0.1 * (ring % 3));
    cairo_set_line_width(cr, 6 + 2 * ring);
    cairo_arc(cr, side * (0.25 + 0.09 * (index % 6)), side * (0.7 - 0.06 * (index % 5)),
              14.0 + ring * side / 12.0, 0, 2 * M_PI);
    cairo_stroke(cr);
  }
  cairo_set_source_rgba(cr, 0.1, 0.1, 0.2, 0.35);
  cairo_move_to(cr, 0, side * 0.8);
  cairo_line_to(cr, side * 0.8, 0);
  cairo_line_to(cr, side, 0);
  cairo_line_to(cr, 0, side);
  cairo_fill(cr);
  return platform::encodeJPEG(*context->makeImage(), 0.85).value_or(platform::Data{});
}

// Fast pictures, one that arrives in timed chunks, and a path that answers 404.
struct LoopbackImageServer::Impl {
  explicit Impl(int count) {
    for (int i = 0; i < count; ++i) pictures_.push_back(asString(drawPicture(i, 320)));
    slow_ = asString(drawPicture(count, 480));
    server_.Get(R"(/pictures/(\d+)\.jpg)",
                [this](const httplib::Request& request, httplib::Response& response) {
                  const std::size_t index = std::stoul(request.matches[1]);
                  if (index >= pictures_.size()) {
                    response.status = 404;
                    return;
                  }
                  response.set_content(pictures_[index], "image/jpeg");
                });
    server_.Get("/pictures/slow.jpg", [this](const httplib::Request&, httplib::Response& response) {
      response.set_content_provider(
          slow_.size(), "image/jpeg",
          [this](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            const std::size_t chunk = slow_.size() / kSlowChunks + 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(250));  // a slow network
            return sink.write(slow_.data() + offset, std::min(chunk, slow_.size() - offset));
          });
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~Impl() {
    server_.stop();
    thread_.join();
  }
  static std::string asString(const platform::Data& data) { return {data.begin(), data.end()}; }

  std::vector<std::string> pictures_;
  std::string slow_;
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
};

LoopbackImageServer::LoopbackImageServer(int count) : impl_(std::make_unique<Impl>(count)) {}

LoopbackImageServer::~LoopbackImageServer() = default;

std::string LoopbackImageServer::url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(impl_->port_) + path;
}

}  // namespace catalog
