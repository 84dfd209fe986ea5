#include "ui/components/photopicker/PPPhotoPickerThumbnailLoader.h"

namespace sprout {

PPPhotoPickerThumbnailLoader::PPPhotoPickerThumbnailLoader()
    : queue_(platform::DispatchQueue::createConcurrent("photopicker.thumbnails")),
      state_(std::make_shared<State>()) {}

PPPhotoPickerThumbnailLoader::~PPPhotoPickerThumbnailLoader() {
  for (auto& [view, request] : state_->requests) request->wanted = false;
  state_->requests.clear();
}

std::shared_ptr<platform::Image> PPPhotoPickerThumbnailLoader::State::keptImage(
    const std::string& url) {
  auto it = keptByURL.find(url);
  if (it == keptByURL.end()) return nullptr;
  kept.splice(kept.begin(), kept, it->second);
  return it->second->second;
}

void PPPhotoPickerThumbnailLoader::State::keep(const std::string& url,
                                               std::shared_ptr<platform::Image> image) {
  if (!image || keptByURL.count(url)) return;
  kept.emplace_front(url, std::move(image));
  keptByURL[url] = kept.begin();
  if (kept.size() > kKeptThumbnails) {
    keptByURL.erase(kept.back().first);
    kept.pop_back();
  }
}

void PPPhotoPickerThumbnailLoader::drop(const platform::View* view) {
  auto it = state_->requests.find(view);
  if (it == state_->requests.end()) return;
  it->second->wanted = false;
  state_->requests.erase(it);
}

void PPPhotoPickerThumbnailLoader::show(const std::shared_ptr<platform::ImageView>& view,
                                        const std::shared_ptr<PPPhotoAssets>& record) {
  if (!view) return;
  drop(view.get());
  if (!record || !record->asset()) {
    view->setImage(record ? record->thumbImage() : nullptr);
    return;
  }
  auto asset = record->asset();
  const std::string url = asset->url().absoluteString();
  if (auto image = state_->keptImage(url)) {
    view->setImage(std::move(image));
    return;
  }
  view->setImage(nullptr);
  auto request = std::make_shared<Request>();
  state_->requests[view.get()] = request;
  ++state_->pending;
  const bool square = PPPhotoAssets::prefersSquareThumbnail();
  std::weak_ptr<platform::ImageView> weakView = view;
  const platform::View* key = view.get();
  queue_->async([state = state_, request, asset, square, url, weakView, key] {
    std::shared_ptr<platform::Image> image;
    if (request->wanted) {
      ++state->started;
      image = PPPhotoAssets::thumbImage(asset, square);
    }
    platform::DispatchQueue::main()->async([state, request, url, weakView, key, image] {
      --state->pending;
      state->keep(url, image);
      if (!request->wanted) return;  // the view shows another photo by now
      auto it = state->requests.find(key);
      if (it != state->requests.end() && it->second == request) state->requests.erase(it);
      if (auto view = weakView.lock()) view->setImage(image);
    });
  });
}

}  // namespace sprout
