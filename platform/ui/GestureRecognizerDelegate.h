#pragma once

namespace platform {

class GestureRecognizer;
class Touch;

// Optional hooks a recognizer asks before it acts; every default lets it go ahead alone.
class GestureRecognizerDelegate {
 public:
  virtual ~GestureRecognizerDelegate() = default;
  // Asked when the recognizer would leave Possible; false makes it fail.
  virtual bool gestureRecognizerShouldBegin(GestureRecognizer& /*recognizer*/) { return true; }
  // Asked for each touch as it begins; false keeps the touch from the recognizer.
  virtual bool gestureRecognizerShouldReceiveTouch(GestureRecognizer& /*recognizer*/,
                                                   const Touch& /*touch*/) {
    return true;
  }
  // Either side's delegate answering true lets the two recognize at the same time.
  virtual bool gestureRecognizerShouldRecognizeSimultaneously(GestureRecognizer& /*recognizer*/,
                                                              GestureRecognizer& /*other*/) {
    return false;
  }
};

}  // namespace platform
