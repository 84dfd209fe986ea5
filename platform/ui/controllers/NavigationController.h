#pragma once

#include <memory>
#include <vector>

#include "platform/ui/ViewController.h"

namespace platform {

class NavigationBar;

// A stack of controllers: the top one's view fills the controller's view (under the bar, which
// sits below the status bar), its navigation item is the bar's top item. Pushing and popping
// tell the controllers that they move to and from this parent and appear or disappear (no
// transition animation; `animated` is passed on).
class NavigationController : public ViewController {
 public:
  static std::shared_ptr<NavigationController> create(
      const std::shared_ptr<ViewController>& root = nullptr);
  ~NavigationController() override;

  const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return stack_; }
  void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers,
                          bool animated = false);
  void pushViewController(const std::shared_ptr<ViewController>& controller, bool animated);
  // nullptr when only the root is left.
  std::shared_ptr<ViewController> popViewControllerAnimated(bool animated);
  std::vector<std::shared_ptr<ViewController>> popToRootViewControllerAnimated(bool animated);
  std::shared_ptr<ViewController> topViewController() const;
  // What it presents, else the top controller.
  std::shared_ptr<ViewController> visibleViewController() const;

  const std::shared_ptr<NavigationBar>& navigationBar();
  bool isNavigationBarHidden() const { return barHidden_; }
  void setNavigationBarHidden(bool hidden, bool animated = false);
  // What of `bounds` (a shown controller's view bounds) lies below the bar, while it is shown.
  Rect boundsBelowBar(Rect bounds);

  void loadView() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void viewDidDisappear(bool animated) override;

  explicit NavigationController(Key key) : ViewController(std::move(key)) {}

 private:
  void show(const std::shared_ptr<ViewController>& incoming,
            const std::shared_ptr<ViewController>& outgoing, bool animated);
  bool canTake(const ViewController& controller) const;
  void layoutBar();
  void syncBarItems();

  std::vector<std::shared_ptr<ViewController>> stack_;
  std::shared_ptr<NavigationBar> bar_;
  bool barHidden_ = false;
};

}  // namespace platform
