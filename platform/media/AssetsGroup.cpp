#include "platform/media/AssetsGroup.h"

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

std::string upperExtension(const std::string& path) {
  const auto dot = path.find_last_of('.');
  const auto slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "JPG";
  std::string ext = path.substr(dot + 1);
  for (char& ch : ext) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return ext;
}

}  // namespace

AssetsGroup::AssetsGroup(std::string name, AssetsGroupType type, std::size_t index,
                         std::string photosPath, Entries entries)
    : name_(std::move(name)),
      type_(type),
      index_(index),
      photos_(std::make_shared<const std::string>(std::move(photosPath))),
      entries_(entries ? std::move(entries) : std::make_shared<const std::vector<Entry>>()) {}

URL AssetsGroup::url() const {
  return *URL::parse("assets-library://group/?id=" + std::to_string(index_));
}

URL AssetsGroup::assetURL(std::size_t groupIndex, std::size_t fileIndex, const std::string& path) {
  const std::string ext = upperExtension(path);
  return *URL::parse("assets-library://asset/asset." + ext + "?id=" + std::to_string(groupIndex) +
                     "-" + std::to_string(fileIndex) + "&ext=" + ext);
}

bool AssetsGroup::passes(const Entry& entry) const {
  switch (filter_) {
    case AssetsFilter::AllPhotos:
      return !entry.video;
    case AssetsFilter::AllVideos:
      return entry.video;
    case AssetsFilter::AllAssets:
      break;
  }
  return true;
}

std::size_t AssetsGroup::numberOfAssets() const {
  return static_cast<std::size_t>(
      std::count_if(entries_->begin(), entries_->end(), [&](const Entry& e) { return passes(e); }));
}

std::shared_ptr<Image> AssetsGroup::posterImage() const {
  for (std::size_t i = entries_->size(); i-- > 0;) {
    if (passes((*entries_)[i])) return assetAtFileIndex(i)->thumbnail();
  }
  return nullptr;
}

void AssetsGroup::enumerateAssets(const EnumerationBlock& block) const {
  if (!block) return;
  bool stop = false;
  std::size_t index = 0;
  for (std::size_t i = 0; i < entries_->size(); ++i) {
    if (!passes((*entries_)[i])) continue;
    block(assetAtFileIndex(i), index++, stop);
    if (stop) return;
  }
  block(nullptr, kNotFound, stop);
}

std::shared_ptr<Asset> AssetsGroup::assetAtFileIndex(std::size_t fileIndex) const {
  if (fileIndex >= entries_->size()) return nullptr;
  const Entry& e = (*entries_)[fileIndex];
  return std::make_shared<Asset>(AssetLocation{photos_, name_, e.file, index_, fileIndex}, e.video);
}

}  // namespace platform
