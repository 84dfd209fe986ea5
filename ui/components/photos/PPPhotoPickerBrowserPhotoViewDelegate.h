#pragma once

namespace platform {
class GestureRecognizer;
}

namespace sprout {

class PPPhotoPickerBrowserPhotoView;

// Both optional: a delegate that does not override one lets that tap do nothing.
class PPPhotoPickerBrowserPhotoViewDelegate {
 public:
  virtual ~PPPhotoPickerBrowserPhotoViewDelegate() = default;
  virtual void singleTapDetected(PPPhotoPickerBrowserPhotoView& /*view*/,
                                 platform::GestureRecognizer& /*tap*/) {}
  virtual void doubleTapDetected(PPPhotoPickerBrowserPhotoView& /*view*/,
                                 platform::GestureRecognizer& /*tap*/) {}
};

}  // namespace sprout
