#pragma once

#include "catalog/Catalog.h"

namespace catalog {

// Each scene plays one component's main road and adds what the screen shows to the catalog.
void sceneDecodedSamples(Catalog& catalog);
void sceneAnimatedGIF(Catalog& catalog);
void sceneDiskCacheReport(Catalog& catalog);
void sceneRemoteImageGrid(Catalog& catalog);
void sceneImageViewBindings(Catalog& catalog);
void sceneProgressHUD(Catalog& catalog);
void sceneQRScannerOverlay(Catalog& catalog);
void sceneLikeButton(Catalog& catalog);
void sceneRefresh(Catalog& catalog);
void scenePlatformLists(Catalog& catalog);
void sceneBannerCarousel(Catalog& catalog);
void sceneDotPageControl(Catalog& catalog);
void sceneSegmentPager(Catalog& catalog);
void sceneMarqueeLabel(Catalog& catalog);
void sceneDatePickerLeaveForm(Catalog& catalog);
void sceneKeyboardAvoidance(Catalog& catalog);
void sceneConstraintLayout(Catalog& catalog);
void scenePhotoGridAndBrowser(Catalog& catalog);
void sceneStillCamera(Catalog& catalog);
void scenePhotoPicker(Catalog& catalog);
void sceneCircularProgress(Catalog& catalog);

}  // namespace catalog
