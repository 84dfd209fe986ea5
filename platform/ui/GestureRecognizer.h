#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/Object.h"
#include "platform/foundation/ObserverList.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/GestureRecognizerArena.h"
#include "platform/ui/GestureRecognizerDelegate.h"
#include "platform/ui/Touch.h"

namespace platform {

class View;

// Discrete recognizers go Possible → Ended (Recognized) or Failed; continuous ones Possible →
// Began → Changed … → Ended or Cancelled, or Failed before they begin.
enum class GestureRecognizerState { Possible, Began, Changed, Ended, Cancelled, Failed };
inline constexpr GestureRecognizerState kGestureRecognizerStateRecognized =
    GestureRecognizerState::Ended;

// Turns the touches of a view (and of its subviews) into a gesture. The window's router hands
// each recognizer the touches that began in its view's subtree before the views see them.
// Arbitration is per touch (GestureRecognizerArena): among the recognizers competing for the
// same touches, one that recognizes makes the others still Possible fail, and cannot begin while
// another one is under way, unless a delegate lets the two recognize simultaneously. A recognizer
// that requires another to fail waits, its recognition held, until that one fails (then it goes
// ahead) or recognizes (then it fails). Once a recognizer has ended, failed or been cancelled and
// its touches are gone, it resets to Possible. Main thread only.
class GestureRecognizer : public Object {
 public:
  using State = GestureRecognizerState;
  using Action = std::function<void(GestureRecognizer&)>;

  ~GestureRecognizer() override;

  State state() const { return state_; }
  // Told of every change of state with (old, new), before the targets run, the return to
  // Possible included.
  ObserverList<State, State>& stateObservers() { return stateObservers_; }
  std::shared_ptr<View> view() const { return view_.lock(); }

  // Targets run in the order they were added on every state change but Possible and Failed
  // (each Changed too). The id removes the target.
  std::uint64_t addTarget(Action action);
  void removeTarget(std::uint64_t id);

  std::shared_ptr<GestureRecognizerDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<GestureRecognizerDelegate>& d) { delegate_ = d; }
  bool isEnabled() const { return enabled_; }
  // Disabling one under way cancels it (or fails it if it had not begun).
  void setEnabled(bool enabled);
  // When it recognizes, the view stops receiving the touches (touchesCancelled).
  bool cancelsTouchesInView() const { return cancelsTouchesInView_; }
  void setCancelsTouchesInView(bool v) { cancelsTouchesInView_ = v; }
  void requireGestureRecognizerToFail(const std::shared_ptr<GestureRecognizer>& other);

  // The centroid of its touches (the last one known once they have lifted); nullptr: window.
  virtual Point locationInView(const View* view) const;
  std::size_t numberOfTouches() const { return touches_.size(); }
  Point locationOfTouch(std::size_t index, const View* view) const;

  bool hasFailureRequirements() const { return !requiredToFail_.empty(); }

  // For the window's router and View.
  bool shouldReceiveTouch(const Touch& touch);
  void deliver(TouchPhase phase, const TouchSet& touches, const Event& event);
  void attachToView(const std::shared_ptr<View>& view);
  void detachFromView();

  explicit GestureRecognizer(Key key) : Object(std::move(key)) {}

 protected:
  // Subclasses move the state; the arbitration above applies on leaving Possible.
  void setState(State next);
  virtual void touchesBegan(const TouchSet& touches, const Event& event);
  virtual void touchesMoved(const TouchSet& touches, const Event& event);
  virtual void touchesEnded(const TouchSet& touches, const Event& event);
  // By default: cancelled when under way, else failed.
  virtual void touchesCancelled(const TouchSet& touches, const Event& event);
  // Back to Possible: subclasses clear their own per-gesture state (and call the base).
  virtual void reset();
  // Asked of another recognizer taking part in the same gesture: true makes this one wait for
  // it to fail, as requireGestureRecognizerToFail would, for this gesture only.
  virtual bool shouldRequireFailureOf(const GestureRecognizer& /*other*/) const { return false; }
  // The touches it is following, in the order they began.
  const TouchSet& trackedTouches() const { return touches_; }
  static Point centroid(const TouchSet& touches, const View* view);

 private:
  bool isTerminal() const;
  bool isUnderWay() const;
  // The recognizers this one waits on now: those it was told to, and those it asks for.
  std::vector<std::shared_ptr<GestureRecognizer>> requirements() const;
  // The others in its arena (on its window only, when asked).
  std::vector<std::shared_ptr<GestureRecognizer>> competitors(bool sameWindow) const;
  bool canRecognizeWith(GestureRecognizer& other);
  bool waitsForFailure() const;
  bool requirementRecognized() const;
  // One under way that it cannot recognize alongside, if any.
  std::shared_ptr<GestureRecognizer> preventedByOther();
  std::optional<State> arbitrate(State next);
  void failOthers();
  void failBecause(const std::string& reason);
  // A line of its arena's story about it (when the arena log is on).
  void tell(const std::string& line) const;
  std::string waitedFor() const;
  void cancelTouchesInViews();
  void fireActions();
  void requirementSettled();
  void resetIfDone();
  void engage(const TouchSet& touches);
  std::shared_ptr<Window> window() const;

  State state_ = State::Possible;
  ObserverList<State, State> stateObservers_;
  std::weak_ptr<View> view_;
  std::vector<std::pair<std::uint64_t, Action>> targets_;
  std::uint64_t nextTarget_ = 1;
  std::weak_ptr<GestureRecognizerDelegate> delegate_;
  bool enabled_ = true;
  bool cancelsTouchesInView_ = true;
  bool engaged_ = false;
  std::vector<std::weak_ptr<GestureRecognizer>> requiredToFail_;
  std::vector<std::weak_ptr<GestureRecognizer>> dependants_;
  std::optional<State> held_;  // recognition waiting for a requirement to fail
  // Where it competes, from its first touch until it resets.
  std::shared_ptr<GestureRecognizerArena> arena_;
  std::string failReason_;  // kept only while the arena log is on
  TouchSet touches_;
  Point lastLocation_;  // window coordinates
  std::weak_ptr<Window> lastWindow_;
};

}  // namespace platform
