// Image views bound to remote pictures: a child's photo album whose cells show a placeholder, then
// their pictures as they arrive; one picture drips in slowly, one is missing and keeps its
// placeholder, one delays its placeholder until the load has failed.
#include <cairo.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "catalog/LoopbackImageServer.h"
#include "catalog/Scenes.h"
#include "images/ImageViewWebCache.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/FileManager.h"
#include "platform/graphics/Context.h"
#include "platform/render/RenderView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Window.h"

namespace catalog {
namespace {

constexpr int kFastPictures = 4;
constexpr double kCell = 110;
constexpr double kGap = 10;

// A light tile with a simple mountain-and-sun glyph: what a cell shows before its picture.
std::shared_ptr<platform::Image> drawPlaceholder() {
  auto context = platform::Context::create({kCell, kCell}, 0, true);
  cairo_t* cr = context->cairo();
  context->fillRect({{0, 0}, {kCell, kCell}}, platform::Color::hex(0xE8ECEF));
  cairo_set_source_rgb(cr, 0.70, 0.75, 0.79);
  cairo_move_to(cr, 25, 78);
  cairo_line_to(cr, 48, 50);
  cairo_line_to(cr, 62, 66);
  cairo_line_to(cr, 72, 56);
  cairo_line_to(cr, 88, 78);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_arc(cr, 75, 36, 7, 0, 2 * M_PI);
  cairo_fill(cr);
  return context->makeImage();
}

struct Album {
  std::shared_ptr<platform::Window> window;
  std::vector<std::shared_ptr<platform::ImageView>> cells;
};

Album makeAlbum() {
  Album album;
  album.window = platform::Window::create({{0, 0}, {375, 667}});
  album.window->setBackgroundColor(platform::Color::hex(0xFAFAFA));
  auto title = platform::Label::create({{0, 20}, {375, 44}});
  title->setText("宝宝相册");
  title->setFont(platform::Font::boldSystemFont(17));
  title->setTextAlignment(platform::TextAlignment::Center);
  album.window->addSubview(title);
  for (int i = 0; i < 9; ++i) {
    const int column = i % 3;
    const int row = i / 3;  // whole rows
    const double x = 17.5 + column * (kCell + kGap);
    const double y = 80 + row * (kCell + kGap);
    auto cell = platform::ImageView::create({{x, y}, {kCell, kCell}});
    cell->setContentMode(platform::ViewContentMode::ScaleAspectFill);
    cell->setClipsToBounds(true);
    album.window->addSubview(cell);
    album.cells.push_back(cell);
  }
  album.window->makeKeyAndVisible();
  return album;
}

}  // namespace

void sceneImageViewBindings(Catalog& catalog) {
  const std::string previousHome = platform::FileManager::homeDirectory();
  const std::string home = catalog.outputDirectory() + "/home-bindings";
  platform::FileManager::defaultManager().removeItem(home);
  platform::FileManager::setHomeDirectory(home);
  {
    LoopbackImageServer server(kFastPictures);
    Album album = makeAlbum();
    auto placeholder = drawPlaceholder();
    int ended = 0;
    auto count = [&ended](const sprout::ImagePtr&, const sprout::OptionalError&,
                          sprout::WIImageCacheType, const sprout::OptionalURL&) { ++ended; };
    std::vector<std::string> paths;
    paths.reserve(kFastPictures + 2);
    for (int i = 0; i < kFastPictures; ++i)
      paths.push_back("/pictures/" + std::to_string(i) + ".jpg");
    paths.insert(paths.begin() + 1, "/pictures/slow.jpg");
    paths.push_back("/pictures/missing.jpg");
    for (std::size_t i = 0; i < paths.size(); ++i) {
      sprout::wi_setImageWithURL(album.cells[i], platform::URL::parse(server.url(paths[i])),
                                 placeholder, sprout::WIImageProgressiveDownload, nullptr, count);
    }
    // The last cell waits for its load before it shows anything, and then, the load failing,
    // the placeholder.
    sprout::wi_setImageWithURL(album.cells[paths.size()],
                               platform::URL::parse(server.url("/pictures/gone.jpg")), placeholder,
                               sprout::WIImageDelayPlaceholder, nullptr, count);
    const int loads = static_cast<int>(paths.size()) + 1;

    catalog.addFrame("placeholders", *platform::renderView(*album.window),
                     "Placeholders while the pictures load");
    platform::RunLoop::main().runUntil([&] { return ended >= loads - 1; }, 30.0);
    catalog.addFrame("most-arrived", *platform::renderView(*album.window),
                     "Fast pictures arrived; the slow one is still dripping in");
    platform::RunLoop::main().runUntil([&] { return ended >= loads; }, 30.0);
    catalog.addFrame(
        "all-ended", *platform::renderView(*album.window),
        "Every load ended: the missing pictures keep (or, delayed, get) the placeholder");
  }
  platform::FileManager::setHomeDirectory(previousHome);
}

}  // namespace catalog
