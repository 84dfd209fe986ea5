#include "app/SPHUDTool.h"

#include "platform/dispatch/DispatchQueue.h"
#include "ui/support/hud/HDProgressHUD.h"

namespace sprout {
namespace {

using ImageGetter = std::shared_ptr<platform::Image> HDProgressHUDSettings::*;

void useDarkStyle() { HDProgressHUD::setDefaultStyle(HDProgressHUDStyle::Dark); }

void showMessage(ImageGetter image, const std::string& status) {
  useDarkStyle();
  // The HUD's parts belong to the main thread; on it this runs at once.
  platform::runOnMainSync([&] {
    auto hud = HDProgressHUD::sharedView();
    hud->showImage(hud->settings().*image, status, SPHUDTool::kMessageDuration);
  });
}

}  // namespace

void SPHUDTool::showLoadingWithString(const std::string& status) {
  useDarkStyle();
  HDProgressHUD::showWithStatus(status);
}

void SPHUDTool::showSuccess(const std::string& status) {
  showMessage(&HDProgressHUDSettings::successImage, status);
}

void SPHUDTool::showError(const std::string& status) {
  showMessage(&HDProgressHUDSettings::errorImage, status);
}

void SPHUDTool::showInfoWithString(const std::string& status) {
  showMessage(&HDProgressHUDSettings::infoImage, status);
}

void SPHUDTool::dismiss() {
  useDarkStyle();
  HDProgressHUD::dismiss();
}

}  // namespace sprout
