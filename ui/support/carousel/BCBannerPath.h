#pragma once

#include <optional>
#include <string>

namespace sprout {

// How the carousel reads a banner string. Banner lists come from a server, so a string is a web
// address only when its scheme is http or https (any case), and a file only when it names a
// regular file inside the app's resources or documents; anything else is an image name.
bool bc_isRemoteBanner(const std::string& path);
// The file's canonical path when the string names an allowed file, else nullopt.
std::optional<std::string> bc_bannerFilePath(const std::string& path);

}  // namespace sprout
