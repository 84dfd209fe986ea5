#include "catalog/Catalog.h"

#include <pango/pangocairo.h>

#include <cctype>
#include <cstdio>
#include <fstream>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Path.h"
#include "platform/graphics/Context.h"

namespace catalog {
namespace {

std::string slugify(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c)) {
      out += static_cast<char>(std::tolower(c));
    } else if (!out.empty() && out.back() != '-') {
      out += '-';
    }
  }
  while (!out.empty() && out.back() == '-') out.pop_back();
  return out;
}

std::string escapeHTML(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

Catalog::Catalog(std::string outputDirectory) : outputDirectory_(std::move(outputDirectory)) {
  platform::FileManager::defaultManager().createDirectory(outputDirectory_, true);
}

void Catalog::beginScene(std::string title) { scenes_.push_back(Scene{std::move(title), {}}); }

void Catalog::addFrame(const std::string& slug, const platform::Image& image, std::string caption) {
  Scene& scene = scenes_.back();
  std::string file = slugify(scene.title) + "--" + slugify(slug) + ".png";
  std::string path = platform::appendingPathComponent(outputDirectory_, file);
  if (auto error = image.writePNG(path)) {
    addNote(caption + " (not written: " + error->localizedDescription() + ")");
    return;
  }
  platform::Size size = image.size();
  scene.frames.push_back(Frame{file, std::move(caption),
                               static_cast<int>(size.width * image.scale()),
                               static_cast<int>(size.height * image.scale())});
}

void Catalog::addNote(std::string caption) {
  scenes_.back().frames.push_back(Frame{{}, std::move(caption), 0, 0});
}

std::size_t Catalog::endScene() { return scenes_.back().frames.size(); }

bool Catalog::writeIndex() const {
  std::ofstream html(platform::appendingPathComponent(outputDirectory_, "index.html"));
  html << "<!doctype html>\n<html lang=\"zh\"><head><meta charset=\"utf-8\"><title>Sprout "
          "catalog</title>\n"
          "<style>body{font:14px sans-serif;margin:24px;background:#f4f4f2}"
          "section{margin-bottom:32px}.sheet{display:flex;flex-wrap:wrap;gap:16px}"
          "figure{margin:0;background:#fff;padding:8px;border:1px solid #ddd;max-width:360px}"
          "figure img{max-width:340px;max-height:340px;image-rendering:pixelated;"
          "background:repeating-conic-gradient(#ddd 0 25%,#fff 0 50%) 0 0/16px 16px}"
          "figcaption{margin-top:6px;color:#333;white-space:pre-wrap}</style></head><body>\n"
          "<h1>Sprout catalog</h1>\n";
  for (const Scene& scene : scenes_) {
    html << "<section><h2>" << escapeHTML(scene.title) << "</h2><div class=\"sheet\">\n";
    for (const Frame& frame : scene.frames) {
      html << "<figure>";
      if (!frame.file.empty()) {
        html << "<img src=\"" << frame.file << "\" width=\"" << frame.width << "\" alt=\"\">";
      }
      html << "<figcaption>" << escapeHTML(frame.caption) << "</figcaption></figure>\n";
    }
    html << "</div></section>\n";
  }
  html << "</body></html>\n";
  return static_cast<bool>(html);
}

std::shared_ptr<platform::Image> renderTextCard(const std::string& text, double widthPoints) {
  // Measure first so the card is exactly as tall as its text.
  PangoFontMap* fontMap = pango_cairo_font_map_get_default();
  PangoContext* measuring = pango_font_map_create_context(fontMap);
  PangoLayout* layout = pango_layout_new(measuring);
  PangoFontDescription* font = pango_font_description_from_string("Monospace 11");
  pango_layout_set_font_description(layout, font);
  pango_layout_set_width(layout, static_cast<int>((widthPoints - 24) * PANGO_SCALE));
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  pango_layout_set_text(layout, text.c_str(), -1);
  int textWidth = 0;
  int textHeight = 0;
  pango_layout_get_pixel_size(layout, &textWidth, &textHeight);

  auto context = platform::Context::create({widthPoints, textHeight + 24.0}, 2.0, true);
  cairo_t* cr = context->cairo();
  context->fillRect({{0, 0}, {widthPoints, textHeight + 24.0}}, platform::Color::white(0.98, 1));
  cairo_set_source_rgb(cr, 0.12, 0.12, 0.14);
  cairo_move_to(cr, 12, 12);
  pango_cairo_update_context(cr, measuring);
  pango_layout_context_changed(layout);
  pango_cairo_show_layout(cr, layout);

  pango_font_description_free(font);
  g_object_unref(layout);
  g_object_unref(measuring);
  return context->makeImage();
}

}  // namespace catalog
