#include <cstdio>
#include <string>
#include <vector>

#include "app/AppStartup.h"
#include "catalog/Catalog.h"
#include "catalog/Scenes.h"
#include "platform/dispatch/RunLoop.h"

namespace {

struct SceneEntry {
  const char* title;
  void (*play)(catalog::Catalog&);
};

const std::vector<SceneEntry>& scenes() {
  static const std::vector<SceneEntry> kScenes = {
      {"Decoded sample images", catalog::sceneDecodedSamples},
      {"Animated GIF frames", catalog::sceneAnimatedGIF},
      {"Disk cache report", catalog::sceneDiskCacheReport},
      {"Remote pictures", catalog::sceneRemoteImageGrid},
      {"Image views bound to remote pictures", catalog::sceneImageViewBindings},
      {"Progress HUD", catalog::sceneProgressHUD},
      {"QR scanner overlay", catalog::sceneQRScannerOverlay},
      {"Like button burst", catalog::sceneLikeButton},
      {"Pull to refresh", catalog::sceneRefresh},
      {"Tables, grids and pickers", catalog::scenePlatformLists},
      {"Banner carousel", catalog::sceneBannerCarousel},
      {"Dot page control", catalog::sceneDotPageControl},
      {"Segment pager", catalog::sceneSegmentPager},
      {"Marquee label", catalog::sceneMarqueeLabel},
      {"Day-and-time picker on the leave form", catalog::sceneDatePickerLeaveForm},
      {"Keyboard avoidance and toolbar", catalog::sceneKeyboardAvoidance},
      {"Constraint layout", catalog::sceneConstraintLayout},
      {"Photo grid and browser page", catalog::scenePhotoGridAndBrowser},
      {"Still camera", catalog::sceneStillCamera},
      {"Photo picker and the pick-up form", catalog::scenePhotoPicker},
      {"Circular progress", catalog::sceneCircularProgress},
  };
  return kScenes;
}

}  // namespace

int main(int argc, char** argv) {
  platform::RunLoop::bindMainToCurrentThread();
  // As the app's launch does, before any screen exists.
  sprout::startAppServices();
  std::string output = argc > 1 ? argv[1] : "out/catalog";
  catalog::Catalog catalog(output);
  const auto& all = scenes();
  for (std::size_t i = 0; i < all.size(); ++i) {
    catalog.beginScene(all[i].title);
    all[i].play(catalog);
    std::size_t frames = catalog.endScene();
    std::printf("[%zu/%zu] %s: %zu frame%s\n", i + 1, all.size(), all[i].title, frames,
                frames == 1 ? "" : "s");
    std::fflush(stdout);
  }
  if (!catalog.writeIndex()) {
    std::fprintf(stderr, "catalog: could not write %s/index.html\n", output.c_str());
    return 1;
  }
  return 0;
}
