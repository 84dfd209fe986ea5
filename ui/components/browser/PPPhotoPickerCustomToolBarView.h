#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "platform/ui/controls/BarButtonItem.h"
#include "platform/ui/controls/Toolbar.h"

namespace sprout {

class PPPhotoPickerCustomToolBarViewDelegate {
 public:
  virtual ~PPPhotoPickerCustomToolBarViewDelegate() = default;
  virtual void customToolBarIsOriginalBtnTouched() = 0;
  virtual void customToolBarSendBtnTouched() = 0;
};

// The browser's bottom bar in picker mode: the original-size switch (with the photo's file size
// while it is on) on the left, the send item with the selection count on the right. Passive: the
// browser tells it what to show.
class PPPhotoPickerCustomToolBarView : public platform::View {
 public:
  using SizeBlock = std::function<std::string()>;

  static std::shared_ptr<PPPhotoPickerCustomToolBarView> create(const platform::Rect& frame,
                                                                long showType);

  void setGetSizeBlock(SizeBlock block) { getSizeBlock_ = std::move(block); }
  long showType() const { return showType_; }
  void setDelegate(const std::shared_ptr<PPPhotoPickerCustomToolBarViewDelegate>& d) {
    delegate_ = d;
  }
  const std::shared_ptr<platform::Toolbar>& toolbar() const { return toolbar_; }
  // Unset until the size block first answers; the title then reads "(null)".
  const std::optional<std::string>& fileSize() const { return fileSize_; }
  const std::shared_ptr<platform::BarButtonItem>& isOriginalBtn() const { return isOriginalBtn_; }
  const std::shared_ptr<platform::BarButtonItem>& sendBtn() const { return sendBtn_; }
  // The round red count badge, made on first read.
  std::shared_ptr<platform::Label> makeView();

  void updateToolbarWithOriginal(bool original, long currentPage, long selectedCount);
  void originalAction();
  void sendAction();
  std::shared_ptr<platform::BarButtonItem> createSelecteOriginalItem(
      std::shared_ptr<platform::Image> image, const std::string& title,
      const platform::Color& titleColor, std::function<void()> action);

  explicit PPPhotoPickerCustomToolBarView(Key key, const platform::Rect& frame)
      : View(std::move(key), frame) {}

 private:
  void setUp(long showType);

  SizeBlock getSizeBlock_;
  long showType_ = 0;
  std::weak_ptr<PPPhotoPickerCustomToolBarViewDelegate> delegate_;
  std::shared_ptr<platform::Toolbar> toolbar_;
  std::optional<std::string> fileSize_;
  std::shared_ptr<platform::BarButtonItem> isOriginalBtn_;
  std::shared_ptr<platform::BarButtonItem> sendBtn_;
  std::weak_ptr<platform::Label> makeView_;
};

}  // namespace sprout
