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
void sceneKeyboardAvoidance(Catalog& catalog);
void sceneConstraintLayout(Catalog& catalog);

}  // namespace catalog
