#pragma once

#include <atomic>
#include <cstddef>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "ui/components/photos/PPPhotoAssets.h"

namespace sprout {

// Decodes a grid's thumbnails off the main thread, side by side on a concurrent queue (the worker
// pool bounds it by the cores), in the order the cells ask for them, and hands each to its view
// only if that view still shows the same photo. A view that moves on before its decode starts
// costs no decode. The thumbnails decoded last are kept, so a reload shows them at once.
class PPPhotoPickerThumbnailLoader {
 public:
  static constexpr std::size_t kKeptThumbnails = 96;

  PPPhotoPickerThumbnailLoader();
  PPPhotoPickerThumbnailLoader(const PPPhotoPickerThumbnailLoader&) = delete;
  PPPhotoPickerThumbnailLoader& operator=(const PPPhotoPickerThumbnailLoader&) = delete;
  ~PPPhotoPickerThumbnailLoader();

  // Shows `record`'s thumbnail in `view`: at once when it is kept or has nothing to decode (a
  // camera shot, the camera item), else nothing until its decode lands. Main thread.
  void show(const std::shared_ptr<platform::ImageView>& view,
            const std::shared_ptr<PPPhotoAssets>& record);
  // Decodes asked for whose result has not reached the main thread yet.
  std::size_t pending() const { return state_->pending; }
  // Decodes started (a request dropped before its turn starts none).
  std::size_t decodesStarted() const { return state_->started.load(); }

 private:
  struct Request {
    std::atomic<bool> wanted{true};
  };
  // Main-thread state the hand-overs reach, kept alive by them after the loader goes.
  struct State {
    std::size_t pending = 0;
    std::atomic<std::size_t> started{0};
    std::map<const platform::View*, std::shared_ptr<Request>> requests;
    std::list<std::pair<std::string, std::shared_ptr<platform::Image>>> kept;  // newest first
    std::unordered_map<std::string, decltype(kept)::iterator> keptByURL;
    std::shared_ptr<platform::Image> keptImage(const std::string& url);
    void keep(const std::string& url, std::shared_ptr<platform::Image> image);
  };

  void drop(const platform::View* view);

  std::shared_ptr<platform::DispatchQueue> queue_;
  std::shared_ptr<State> state_;
};

}  // namespace sprout
