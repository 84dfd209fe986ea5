#pragma once

#include <memory>
#include <string>

#include "platform/ui/View.h"

namespace platform {

// A view a collection view places and reuses: its cells and its section headers and footers.
class CollectionReusableView : public View {
 public:
  static std::shared_ptr<CollectionReusableView> create(const Rect& frame = {});
  const std::string& reuseIdentifier() const { return reuseIdentifier_; }
  void setReuseIdentifier(std::string id) { reuseIdentifier_ = std::move(id); }
  virtual void prepareForReuse() {}

  explicit CollectionReusableView(Key key, const Rect& frame);

 private:
  std::string reuseIdentifier_;
};

// One item. Content goes into contentView; selection shows the selectedBackgroundView, if any.
class CollectionViewCell : public CollectionReusableView {
 public:
  static std::shared_ptr<CollectionViewCell> create(const Rect& frame = {});

  const std::shared_ptr<View>& contentView() const { return contentView_; }
  const std::shared_ptr<View>& backgroundView() const { return backgroundView_; }
  void setBackgroundView(std::shared_ptr<View> view);
  const std::shared_ptr<View>& selectedBackgroundView() const { return selectedBackgroundView_; }
  void setSelectedBackgroundView(std::shared_ptr<View> view);
  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected);
  bool isHighlighted() const { return highlighted_; }
  virtual void setHighlighted(bool highlighted);
  void prepareForReuse() override;
  void layoutSubviews() override;

  explicit CollectionViewCell(Key key, const Rect& frame);

 protected:
  void didInit() override;

 private:
  void showSelection();

  std::shared_ptr<View> contentView_;
  std::shared_ptr<View> backgroundView_;
  std::shared_ptr<View> selectedBackgroundView_;
  bool selected_ = false;
  bool highlighted_ = false;
};

}  // namespace platform
