#include "ui/components/photopicker/PPPhotoPickerThumbnailLoader.h"

#include <algorithm>

namespace sprout {

PPPhotoPickerThumbnailLoader::PPPhotoPickerThumbnailLoader()
    : queue_(platform::DispatchQueue::createConcurrent("photopicker.thumbnails")),
      state_(std::make_shared<State>()) {}

PPPhotoPickerThumbnailLoader::~PPPhotoPickerThumbnailLoader() {
  for (auto& [url, decode] : state_->decoding) {
    Turn queued = Turn::Queued;
    decode->turn.compare_exchange_strong(queued, Turn::Dropped);
    decode->views.clear();
  }
  state_->decoding.clear();
  state_->waiting.clear();
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

void PPPhotoPickerThumbnailLoader::State::land(const std::string& url,
                                               const std::shared_ptr<Decode>& decode,
                                               const std::shared_ptr<platform::Image>& image) {
  --pending;
  keep(url, image);
  auto it = decoding.find(url);
  if (it == decoding.end() || it->second != decode) return;  // dropped, and asked for anew
  decoding.erase(it);
  for (const auto& [key, weakView] : decode->views) {
    auto wait = waiting.find(key);
    if (wait == waiting.end() || wait->second != url) continue;  // shows another photo by now
    waiting.erase(wait);
    if (auto view = weakView.lock()) view->setImage(image);
  }
}

void PPPhotoPickerThumbnailLoader::start(const std::shared_ptr<platform::Asset>& asset,
                                         const std::string& url) {
  auto decode = std::make_shared<Decode>();
  state_->decoding[url] = decode;
  ++state_->pending;
  const bool square = PPPhotoAssets::prefersSquareThumbnail();
  queue_->async([state = state_, decode, asset, square, url] {
    std::shared_ptr<platform::Image> image;
    Turn queued = Turn::Queued;
    if (decode->turn.compare_exchange_strong(queued, Turn::Started)) {
      ++state->started;
      image = PPPhotoAssets::thumbImage(asset, square);
    }
    platform::DispatchQueue::main()->async(
        [state, decode, url, image] { state->land(url, decode, image); });
  });
}

void PPPhotoPickerThumbnailLoader::ask(const std::shared_ptr<PPPhotoAssets>& record) {
  if (!record || !record->asset()) return;
  const std::string url = record->asset()->url().absoluteString();
  if (state_->keptByURL.count(url)) return;
  auto it = state_->decoding.find(url);
  // A decode dropped before its turn (nobody waited for it) is asked for anew; the dropped one's
  // hand-over still lands, and finds itself replaced.
  if (it != state_->decoding.end() && it->second->turn != Turn::Dropped) return;
  start(record->asset(), url);
}

void PPPhotoPickerThumbnailLoader::detach(const platform::View* view) {
  auto wait = state_->waiting.find(view);
  if (wait == state_->waiting.end()) return;
  auto it = state_->decoding.find(wait->second);
  state_->waiting.erase(wait);
  if (it == state_->decoding.end()) return;
  auto& views = it->second->views;
  std::erase_if(views, [&](const auto& v) { return v.first == view; });
  if (!views.empty()) return;
  Turn queued = Turn::Queued;
  it->second->turn.compare_exchange_strong(queued, Turn::Dropped);
}

void PPPhotoPickerThumbnailLoader::show(const std::shared_ptr<platform::ImageView>& view,
                                        const std::shared_ptr<PPPhotoAssets>& record) {
  if (!view) return;
  detach(view.get());
  if (!record || !record->asset()) {
    view->setImage(record ? record->thumbImage() : nullptr);
    return;
  }
  const std::string url = record->asset()->url().absoluteString();
  if (auto image = state_->keptImage(url)) {
    view->setImage(std::move(image));
    return;
  }
  view->setImage(nullptr);
  ask(record);
  state_->decoding[url]->views.emplace_back(view.get(), view);
  state_->waiting[view.get()] = url;
}

}  // namespace sprout
