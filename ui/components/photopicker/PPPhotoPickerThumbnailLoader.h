#pragma once

#include <atomic>
#include <cstddef>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "ui/components/photos/PPPhotoAssets.h"

namespace sprout {

// Decodes a grid's thumbnails off the main thread, side by side on a concurrent queue (the worker
// pool bounds it by the cores), one decode per photo however many views wait for it, and hands
// each to the views still showing that photo. A grid asks for every thumbnail of a screen at once,
// before it makes the cells, so the first wave of workers starts full; a decode that no view waits
// for any more by its turn costs nothing. The thumbnails decoded last are kept, so a reload shows
// them at once.
class PPPhotoPickerThumbnailLoader {
 public:
  static constexpr std::size_t kKeptThumbnails = 96;

  PPPhotoPickerThumbnailLoader();
  PPPhotoPickerThumbnailLoader(const PPPhotoPickerThumbnailLoader&) = delete;
  PPPhotoPickerThumbnailLoader& operator=(const PPPhotoPickerThumbnailLoader&) = delete;
  ~PPPhotoPickerThumbnailLoader();

  // Starts the decode of `record`'s thumbnail unless it is kept or under way. Main thread.
  void ask(const std::shared_ptr<PPPhotoAssets>& record);
  // Shows `record`'s thumbnail in `view`: at once when it is kept or has nothing to decode (a
  // camera shot, the camera item), else nothing until its decode lands. Main thread.
  void show(const std::shared_ptr<platform::ImageView>& view,
            const std::shared_ptr<PPPhotoAssets>& record);
  // Decodes asked for whose result has not reached the main thread yet.
  std::size_t pending() const { return state_->pending; }
  // Decodes started (a decode dropped before its turn starts none).
  std::size_t decodesStarted() const { return state_->started.load(); }

 private:
  enum class Turn { Queued, Started, Dropped };
  struct Decode {
    std::atomic<Turn> turn{Turn::Queued};
    std::vector<std::pair<const platform::View*, std::weak_ptr<platform::ImageView>>> views;
  };
  // Main-thread state the hand-overs reach, kept alive by them after the loader goes.
  struct State {
    std::size_t pending = 0;
    std::atomic<std::size_t> started{0};
    std::unordered_map<std::string, std::shared_ptr<Decode>> decoding;         // by photo URL
    std::map<const platform::View*, std::string> waiting;                      // view → photo URL
    std::list<std::pair<std::string, std::shared_ptr<platform::Image>>> kept;  // newest first
    std::unordered_map<std::string, decltype(kept)::iterator> keptByURL;
    std::shared_ptr<platform::Image> keptImage(const std::string& url);
    void keep(const std::string& url, std::shared_ptr<platform::Image> image);
    void land(const std::string& url, const std::shared_ptr<Decode>& decode,
              const std::shared_ptr<platform::Image>& image);
  };

  void start(const std::shared_ptr<platform::Asset>& asset, const std::string& url);
  // The view waits for nothing any more; a queued decode nobody waits for is dropped.
  void detach(const platform::View* view);

  std::shared_ptr<platform::DispatchQueue> queue_;
  std::shared_ptr<State> state_;
};

}  // namespace sprout
