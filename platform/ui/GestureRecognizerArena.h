#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class GestureRecognizer;

// The recognizers competing for one touch: those that took it when it began. A recognizer that
// takes a second touch while it still follows the first (the second tap of a double tap, the
// second finger of a pinch) joins the two arenas into one, so everything competing with it
// competes with the others too. Conflicts are settled only among the members of one arena. A
// member leaves when it resets; the arena lives while its touch or a member does. Main thread
// only.
//
// With logging on, each arena tells its story through platform::log under kLogTag (Debug): who
// entered, who holds its recognition for another to fail, who failed and why, and who won.
class GestureRecognizerArena {
 public:
  static constexpr std::string_view kLogTag = "GestureArena";
  // Off by default.
  static void setLogging(bool on);
  static bool isLogging();

  GestureRecognizerArena();
  GestureRecognizerArena(const GestureRecognizerArena&) = delete;
  GestureRecognizerArena& operator=(const GestureRecognizerArena&) = delete;

  std::uint64_t number() const { return number_; }
  // The arena this one has joined, followed to the end (this one when it joined none).
  std::shared_ptr<GestureRecognizerArena> current(
      const std::shared_ptr<GestureRecognizerArena>& self) const;

  // The members still alive, in the order they entered.
  std::vector<std::shared_ptr<GestureRecognizer>> members() const;
  void add(const std::shared_ptr<GestureRecognizer>& recognizer);
  void remove(const GestureRecognizer& recognizer);
  // Takes `other`'s members; from now on `other` stands for this one.
  void absorb(GestureRecognizerArena& other, const std::shared_ptr<GestureRecognizerArena>& self);

  // One line of the story ("arena 3: …"), when logging is on.
  void log(const std::string& line) const;
  // A recognizer as the story names it: its class and its view's.
  static std::string describe(const GestureRecognizer& recognizer);

 private:
  std::uint64_t number_;
  std::vector<std::weak_ptr<GestureRecognizer>> members_;
  std::shared_ptr<GestureRecognizerArena> joined_;
};

}  // namespace platform
