#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Image.h"

namespace catalog {

// Collects the frames the scenes draw, writes each as a PNG and ends with an HTML contact sheet.
class Catalog {
 public:
  explicit Catalog(std::string outputDirectory);

  const std::string& outputDirectory() const { return outputDirectory_; }

  void beginScene(std::string title);
  // `slug` becomes the file name (scene-relative); the caption is shown under the frame.
  void addFrame(const std::string& slug, const platform::Image& image, std::string caption);
  // A failure is part of the catalog too: it is listed with its reason instead of a picture.
  void addNote(std::string caption);
  std::size_t endScene();

  bool writeIndex() const;

 private:
  struct Frame {
    std::string file;  // empty for a note
    std::string caption;
    int width = 0;
    int height = 0;
  };
  struct Scene {
    std::string title;
    std::vector<Frame> frames;
  };

  std::string outputDirectory_;
  std::vector<Scene> scenes_;
};

// Renders a block of monospaced text into an image: reports that are text by nature.
std::shared_ptr<platform::Image> renderTextCard(const std::string& text, double widthPoints);

}  // namespace catalog
