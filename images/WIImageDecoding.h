#pragma once

// Everything that turns image bytes into display-ready images, in one include.
#include "images/WIImageContentType.h"
#include "images/WIImageForceDecode.h"
#include "images/WIImageGIF.h"
#include "images/WIImageKeyScale.h"
#include "images/WIImageMultiFormat.h"
