#include "app/SPHUDTool.h"

#include "platform/dispatch/DispatchQueue.h"
#include "ui/support/hud/HDProgressHUD.h"

namespace sprout {
namespace {

using ImageGetter = const std::shared_ptr<platform::Image>& (HDProgressHUD::*)() const;

void useDarkStyle() { HDProgressHUD::setDefaultStyle(HDProgressHUDStyle::Dark); }

void showMessage(ImageGetter image, const std::string& status) {
  useDarkStyle();
  // The HUD's parts belong to the main thread; on it this runs at once.
  platform::runOnMainSync([&] {
    auto hud = HDProgressHUD::sharedView();
    hud->showImage((*hud.*image)(), status, SPHUDTool::kMessageDuration);
  });
}

}  // namespace

void SPHUDTool::showLoadingWithString(const std::string& status) {
  useDarkStyle();
  HDProgressHUD::showWithStatus(status);
}

void SPHUDTool::showSuccess(const std::string& status) {
  showMessage(&HDProgressHUD::successImage, status);
}

void SPHUDTool::showError(const std::string& status) {
  showMessage(&HDProgressHUD::errorImage, status);
}

void SPHUDTool::showInfoWithString(const std::string& status) {
  showMessage(&HDProgressHUD::infoImage, status);
}

void SPHUDTool::dismiss() {
  useDarkStyle();
  HDProgressHUD::dismiss();
}

}  // namespace sprout
