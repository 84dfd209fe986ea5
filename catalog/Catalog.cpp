#include "catalog/Catalog.h"

#include <cctype>
#include <cstdio>
#include <fstream>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Path.h"
#include "platform/render/RenderView.h"
#include "platform/ui/Label.h"

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
  if (auto written = image.writePNG(path); !written) {
    addNote(caption + " (not written: " + written.error().localizedDescription() + ")");
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
  constexpr double kMargin = 12;
  auto label = platform::Label::create();
  label->setFont(platform::Font::fontWithName("Monospace", 11));
  label->setTextColor(platform::Color::hex(0x1F1F24));
  label->setNumberOfLines(0);
  label->setText(text);
  // Measured first so the card is exactly as tall as its text.
  const double textWidth = widthPoints - 2 * kMargin;
  const platform::Size size = label->sizeThatFits({textWidth, 1e6});
  label->setFrame({{kMargin, kMargin}, {textWidth, size.height}});
  auto card = platform::View::create({{0, 0}, {widthPoints, size.height + 2 * kMargin}});
  card->setBackgroundColor(platform::Color::white(0.98, 1));
  card->addSubview(label);
  platform::RenderOptions options;
  options.scale = 2.0;
  return platform::renderView(*card, options);
}

}  // namespace catalog
