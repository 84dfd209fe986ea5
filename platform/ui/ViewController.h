#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Responder.h"

namespace platform {

class LayoutGuide;
class NavigationController;
class NavigationItem;
class View;
class Window;

enum class ModalPresentationStyle {
  FullScreen = 0,
  PageSheet = 1,
  FormSheet = 2,
  CurrentContext = 3,
  Custom = 4,
  OverFullScreen = 5,
  OverCurrentContext = 6,
  Popover = 7,
  None = -1,
};

// Owns a screenful of views: loads its view on first use, hears when it appears and disappears,
// and presents other controllers over itself. Presentation has no transition animation; the
// `animated` flags are passed on to the appearance callbacks.
class ViewController : public Responder {
 public:
  static std::shared_ptr<ViewController> create();
  ~ViewController() override;

  // Loads the view (loadView, then viewDidLoad) the first time it is asked for.
  std::shared_ptr<View> view();
  bool isViewLoaded() const { return view_ != nullptr; }
  void setView(std::shared_ptr<View> view);
  virtual void loadView();  // by default a plain view of the screen's size
  virtual void viewDidLoad() {}
  virtual void viewWillAppear(bool /*animated*/) {}
  virtual void viewDidAppear(bool /*animated*/) {}
  virtual void viewWillDisappear(bool /*animated*/) {}
  virtual void viewDidDisappear(bool /*animated*/) {}
  virtual void viewWillLayoutSubviews() {}
  virtual void viewDidLayoutSubviews() {}
  // Brackets an appearance change; the callbacks follow the state (no repeats).
  void beginAppearanceTransition(bool appearing, bool animated);
  void endAppearanceTransition();
  bool isVisible() const { return appearance_ == Appearance::Appeared; }

  const std::string& title() const { return title_; }
  // Also the title of its navigation item.
  void setTitle(std::string title);

  // How it is shown when presented: full screen fills the window; a page sheet spans the width
  // below kSheetTopMargin; a form sheet is at most kFormSheetSize, centred (on a phone-sized
  // window both sheets are the page sheet).
  ModalPresentationStyle modalPresentationStyle() const { return presentationStyle_; }
  void setModalPresentationStyle(ModalPresentationStyle style) { presentationStyle_ = style; }
  static Rect presentationFrame(ModalPresentationStyle style, const Rect& windowBounds);
  static constexpr double kSheetTopMargin = 40;
  static constexpr Size kFormSheetSize{540, 620};

  // The bar contents it shows when it is in a navigation controller (made on first use).
  std::shared_ptr<NavigationItem> navigationItem();
  // The nearest navigation controller among its parents.
  std::shared_ptr<NavigationController> navigationController() const;

  // Presents `controller` over this one (or over what this one already presents), sized by its
  // presentation style. A child presents for the root of its parent chain, whose screen it is
  // part of, so dismissing that root finds what the child showed. The completion runs from the
  // main run loop.
  void presentViewController(std::shared_ptr<ViewController> controller, bool animated,
                             std::function<void()> completion = nullptr);
  // Asked of a controller (or a child of it) that presents another, takes that one away with
  // everything presented over it, and stays; asked of a presented controller that presents
  // nothing, takes that controller away. The controllers go top first: each hears it will
  // disappear, then their views leave the window, then each hears it did; only the top one is
  // animated. The completion runs from the main run loop after all of that.
  void dismissViewControllerAnimated(bool animated, std::function<void()> completion = nullptr);
  void dismissViewController(bool animated, std::function<void()> completion = nullptr) {
    dismissViewControllerAnimated(animated, std::move(completion));
  }
  // Both answer for the root of the parent chain, as presentation does.
  std::shared_ptr<ViewController> presentedViewController() const;
  std::shared_ptr<ViewController> presentingViewController() const;
  bool wasPresentedAnimated() const { return presentedAnimated_; }

  virtual StatusBarStyle preferredStatusBarStyle() const { return StatusBarStyle::Default; }
  virtual bool prefersStatusBarHidden() const { return false; }
  void setNeedsStatusBarAppearanceUpdate();

  // Turning with the device; the defaults are a phone's: it turns, to any orientation but upside
  // down, presented in the orientation the interface has now, and the old per-orientation
  // question answers portrait only.
  virtual bool shouldAutorotate() const { return true; }
  virtual InterfaceOrientationMask supportedInterfaceOrientations() const {
    return InterfaceOrientationMaskAllButUpsideDown;
  }
  virtual InterfaceOrientation preferredInterfaceOrientationForPresentation() const;
  virtual bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) const {
    return o == InterfaceOrientation::Portrait;
  }

  std::shared_ptr<ViewController> parentViewController() const { return parent_.lock(); }
  const std::vector<std::shared_ptr<ViewController>>& childViewControllers() const {
    return children_;
  }
  // Adding a child tells it willMoveToParentViewController(this); the container calls
  // didMoveToParentViewController once the child's view is in place. Removing tells it
  // didMoveToParentViewController(nullptr); the container calls willMove...(nullptr) before.
  void addChildViewController(std::shared_ptr<ViewController> child);
  void removeFromParentViewController();
  virtual void willMoveToParentViewController(const std::shared_ptr<ViewController>& /*parent*/) {}
  virtual void didMoveToParentViewController(const std::shared_ptr<ViewController>& /*parent*/) {}

  std::shared_ptr<Responder> nextResponder() const override;

  explicit ViewController(Key key) : Responder(std::move(key)) {}

 private:
  enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };

  // The layout floor makes these guides on first use; only it knows their type.
  friend std::shared_ptr<LayoutGuide> topLayoutGuide(ViewController& controller);
  friend std::shared_ptr<LayoutGuide> bottomLayoutGuide(ViewController& controller);

  std::shared_ptr<Window> hostWindow() const;
  // The root of the parent chain: the controller that presents for this one.
  const ViewController& contextRoot() const;
  ViewController& contextRoot();
  // Takes everything this controller presents off the screen.
  void dismissPresentedChain(bool animated);

  std::shared_ptr<View> view_;
  std::string title_;
  std::shared_ptr<ViewController> presented_;
  std::weak_ptr<ViewController> presenting_;
  std::weak_ptr<ViewController> parent_;
  std::vector<std::shared_ptr<ViewController>> children_;
  std::shared_ptr<NavigationItem> navigationItem_;
  ModalPresentationStyle presentationStyle_ = ModalPresentationStyle::FullScreen;
  Appearance appearance_ = Appearance::Disappeared;
  bool transitionAnimated_ = false;
  bool presentedAnimated_ = false;
  std::shared_ptr<LayoutGuide> topLayoutGuide_, bottomLayoutGuide_;
};

}  // namespace platform
