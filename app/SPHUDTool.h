#pragma once

#include <string>

namespace sprout {

// The app's way to show the progress HUD: always in the dark style. The loading HUD stays until
// dismiss(); the success, error and info HUDs go away by themselves after 2 seconds.
class SPHUDTool {
 public:
  static void showLoadingWithString(const std::string& status);
  static void showSuccess(const std::string& status);
  static void showError(const std::string& status);
  static void showInfoWithString(const std::string& status);
  static void dismiss();

  static constexpr double kMessageDuration = 2.0;

  SPHUDTool() = delete;
};

}  // namespace sprout
