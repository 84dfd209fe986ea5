#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Types.h"

namespace catalog {

// A loopback image server for the scenes that load remote pictures: /pictures/<n>.jpg for n below
// `count` answer at once, /pictures/slow.jpg drips in five timed chunks, anything else is a 404.
class LoopbackImageServer {
 public:
  explicit LoopbackImageServer(int count);
  ~LoopbackImageServer();
  LoopbackImageServer(const LoopbackImageServer&) = delete;
  LoopbackImageServer& operator=(const LoopbackImageServer&) = delete;

  std::string url(const std::string& path) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A picture worth looking at: rings and a diagonal band in colours of its own, as JPEG.
platform::Data drawPicture(int index, int side);

}  // namespace catalog
