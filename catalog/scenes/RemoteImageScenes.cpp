// A grid of remote pictures loaded through WIImageManager from a loopback image server: most
// arrive at once, one drips in slowly (drawn progressively as it comes), one does not exist. A
// frame is written whenever something a person would notice changes.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalog/LoopbackImageServer.h"
#include "catalog/Scenes.h"
#include "images/WIImageCache.h"
#include "images/WIImageDownloader.h"
#include "images/WIImageManager.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/FileManager.h"
#include "platform/graphics/Context.h"

namespace catalog {
namespace {

constexpr int kColumns = 4;
constexpr double kCell = 160;
constexpr double kCaption = 40;
constexpr double kGap = 10;
constexpr int kPictureCount = 6;

// One picture of the grid and what has been heard of it so far.
struct Cell {
  std::string name;
  std::string path;
  long received = 0;
  long expected = -1;
  sprout::ImagePtr image;
  bool finished = false;
  bool partial = false;
  sprout::WIImageCacheType cacheType = sprout::WIImageCacheTypeNone;
  std::string error;
};

Cell makeCell(std::string name, std::string path) {
  Cell cell;
  cell.name = std::move(name);
  cell.path = std::move(path);
  return cell;
}

void drawText(cairo_t* cr, const std::string& text, double x, double y, double width,
              platform::Color color, const char* font = "Sans 9") {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* description = pango_font_description_from_string(font);
  pango_layout_set_font_description(layout, description);
  pango_layout_set_width(layout, static_cast<int>(width * PANGO_SCALE));
  pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
  pango_layout_set_text(layout, text.c_str(), -1);
  cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, layout);
  pango_font_description_free(description);
  g_object_unref(layout);
}

std::string statusOf(const Cell& cell) {
  char text[96];
  if (!cell.error.empty()) return "failed: " + cell.error;
  if (cell.finished) {
    static const char* kFrom[] = {"downloaded", "from disk", "from memory"};
    std::snprintf(text, sizeof text, "%s, %ld KB", kFrom[cell.cacheType], cell.received / 1024);
    return text;
  }
  if (cell.expected <= 0) return cell.received > 0 ? "loading" : "waiting";
  std::snprintf(text, sizeof text, "%ld%% of %ld KB%s", cell.received * 100 / cell.expected,
                cell.expected / 1024, cell.partial ? ", partial" : "");
  return text;
}

void drawCell(platform::Context& context, const Cell& cell, double x, double y) {
  cairo_t* cr = context.cairo();
  const platform::Rect picture{{x, y}, {kCell, kCell}};
  context.fillRect(picture, platform::Color::white(0.9));
  if (cell.image) {
    context.drawImage(*cell.image, picture);
  } else if (!cell.error.empty()) {
    cairo_set_source_rgb(cr, 0.8, 0.2, 0.2);
    cairo_set_line_width(cr, 4);
    cairo_move_to(cr, x + 50, y + 50);
    cairo_line_to(cr, x + kCell - 50, y + kCell - 50);
    cairo_move_to(cr, x + kCell - 50, y + 50);
    cairo_line_to(cr, x + 50, y + kCell - 50);
    cairo_stroke(cr);
  }
  // The progress bar under the picture fills as bytes arrive.
  const double fraction = cell.finished && cell.error.empty() ? 1.0
                          : cell.expected > 0 ? double(cell.received) / double(cell.expected)
                                              : 0.0;
  context.fillRect({{x, y + kCell + 2}, {kCell, 4}}, platform::Color::white(0.8));
  context.fillRect(
      {{x, y + kCell + 2}, {kCell * fraction, 4}},
      cell.error.empty() ? platform::Color::hex(0x2E8B57) : platform::Color::hex(0xC0392B));
  drawText(cr, cell.name, x, y + kCell + 8, kCell, platform::Color::white(0.1), "Sans Bold 9");
  drawText(cr, statusOf(cell), x, y + kCell + 22, kCell,
           cell.error.empty() ? platform::Color::white(0.3) : platform::Color::hex(0xC0392B));
}

std::shared_ptr<platform::Image> renderGrid(const std::vector<Cell>& cells) {
  const int rows = (static_cast<int>(cells.size()) + kColumns - 1) / kColumns;
  const platform::Size size{kGap + kColumns * (kCell + kGap),
                            kGap + rows * (kCell + kCaption + kGap)};
  auto context = platform::Context::create(size, 2.0, true);
  context->fillRect({{0, 0}, size}, platform::Color::whiteColor());
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const std::size_t row = i / kColumns, column = i % kColumns;
    const double x = kGap + static_cast<double>(column) * (kCell + kGap);
    const double y = kGap + static_cast<double>(row) * (kCell + kCaption + kGap);
    drawCell(*context, cells[i], x, y);
  }
  return context->makeImage();
}

}  // namespace

void sceneRemoteImageGrid(Catalog& catalog) {
  const std::string previousHome = platform::FileManager::homeDirectory();
  const std::string home = catalog.outputDirectory() + "/home-remote";
  platform::FileManager::defaultManager().removeItem(home);
  platform::FileManager::setHomeDirectory(home);
  {
    LoopbackImageServer server(kPictureCount);
    auto manager = sprout::WIImageManager::create(sprout::WIImageCache::create("remote-grid"),
                                                  sprout::WIImageDownloader::create());
    std::vector<Cell> cells;
    cells.reserve(kPictureCount + 2);
    for (int i = 0; i < kPictureCount; ++i) {
      cells.push_back(
          makeCell("picture " + std::to_string(i + 1), "/pictures/" + std::to_string(i) + ".jpg"));
    }
    cells.insert(cells.begin() + 2, makeCell("slow picture", "/pictures/slow.jpg"));
    cells.insert(cells.begin() + 5, makeCell("missing picture", "/pictures/missing.jpg"));

    int frame = 0;
    auto snapshot = [&](const std::string& what) {
      char slug[32];
      std::snprintf(slug, sizeof slug, "remote-grid-%02d", ++frame);
      catalog.addFrame(slug, *renderGrid(cells), what);
    };
    snapshot("Before loading: every picture waits");

    std::size_t ended = 0;
    std::vector<long> shownPercent(cells.size(), -1);
    for (std::size_t i = 0; i < cells.size(); ++i) {
      auto progress = [&, i](long received, long expected) {
        cells[i].received = received;
        cells[i].expected = expected;
        // A frame for each fifth of a slow picture; fast ones only show when they finish.
        const long percent = expected > 0 ? received * 100 / expected : 0;
        if (percent < 100 && percent / 20 != shownPercent[i] / 20) {
          shownPercent[i] = percent;
          snapshot(cells[i].name + " at " + std::to_string(percent) + "%");
        }
      };
      auto completed = [&, i](const sprout::ImagePtr& image, const sprout::OptionalError& error,
                              sprout::WIImageCacheType type, bool finished,
                              const sprout::OptionalURL&) {
        Cell& cell = cells[i];
        cell.image = image ? image : cell.image;
        cell.partial = !finished;
        if (!finished) return;
        cell.finished = true;
        cell.cacheType = type;
        if (error) cell.error = "HTTP " + std::to_string(error->code);
        ++ended;
        snapshot(cell.name + (error ? " failed" : " arrived"));
      };
      manager->downloadImageWithURL(server.url(cells[i].path), sprout::WIImageProgressiveDownload,
                                    progress, completed);
    }
    platform::RunLoop::main().runUntil([&] { return ended == cells.size(); }, 60.0);
    if (ended != cells.size()) catalog.addNote("Some pictures never finished loading");
    manager->cancelAll();
    manager->imageCache()->ioQueue()->sync([] {});
    platform::RunLoop::main().runPending();
  }
  platform::FileManager::setHomeDirectory(previousHome);
}

}  // namespace catalog
