// The ThreadSanitizer suppressions silence nothing by library: a race on our own memory is
// reported even when Cairo is on its stack. Checked in the ThreadSanitizer build by running a racy
// child under the project's tsan.supp.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cairo.h>
#include <fcntl.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#if defined(__SANITIZE_THREAD__)
#define SPROUT_UNDER_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define SPROUT_UNDER_TSAN 1
#endif
#endif

namespace {

int written = 0;  // raced on purpose by the child below

cairo_status_t countBytes(void*, const unsigned char*, unsigned int length) {
  written += static_cast<int>(length);  // called from inside Cairo (through libpng)
  return CAIRO_STATUS_SUCCESS;
}

// Run only as the child of the test below. Another thread writes `written` with no
// synchronisation the sanitizer can see (a relaxed flag only orders it in real time), then
// Cairo's PNG writer calls back into our code, which writes it too.
TEST(TsanSuppressions, DISABLED_RaceInOurCallbackFromCairo) {
  std::atomic<bool> done{false};
  std::thread other([&] {
    written = 1;
    done.store(true, std::memory_order_relaxed);
  });
  while (!done.load(std::memory_order_relaxed)) {
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 4);
  EXPECT_EQ(cairo_surface_write_to_png_stream(surface, countBytes, nullptr), CAIRO_STATUS_SUCCESS);
  cairo_surface_destroy(surface);
  other.join();
}

TEST(TsanSuppressions, ARaceInOurCodeReachedThroughCairoIsReported) {
#ifndef SPROUT_UNDER_TSAN
  GTEST_SKIP() << "only meaningful in the ThreadSanitizer build";
#else
  std::string exe = "/proc/self/exe";
  std::string filter = "--gtest_filter=TsanSuppressions.DISABLED_RaceInOurCallbackFromCairo";
  std::string alsoDisabled = "--gtest_also_run_disabled_tests";
  char* argv[] = {exe.data(), filter.data(), alsoDisabled.data(), nullptr};
  std::string options =
      "TSAN_OPTIONS=suppressions=" SPROUT_SOURCE_DIR "/tsan.supp:halt_on_error=1:exitcode=66";
  char* envp[] = {options.data(), nullptr};
  // The child's report goes to a file, checked here, rather than into this test's output.
  char path[] = "/tmp/sprout-tsan-child-XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ::close(fd);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, path, O_WRONLY | O_TRUNC, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t child = 0;
  const int spawned = ::posix_spawn(&child, exe.c_str(), &actions, nullptr, argv, envp);
  posix_spawn_file_actions_destroy(&actions);
  ASSERT_EQ(spawned, 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  std::ifstream in(path);
  const std::string report((std::istreambuf_iterator<char>(in)), {});
  ::unlink(path);
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 66) << "the race was suppressed:\n" << report;
  EXPECT_NE(report.find("WARNING: ThreadSanitizer: data race"), std::string::npos);
  EXPECT_NE(report.find("countBytes"), std::string::npos);
#endif
}

}  // namespace
