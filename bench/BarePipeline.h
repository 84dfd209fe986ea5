// The bare pipeline the web image pipeline is measured against, and the server process both
// load from. Only libcurl, libjpeg-turbo and the standard library: what an application would
// write by hand to download and decode pictures on all cores, holding as many pixels as the
// image cache holds.
#pragma once

#include <curl/curl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <jpeglib.h>  // after <cstdio>: it uses FILE and size_t

namespace bare {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The cores this process may run on (fewer than the machine's under taskset).
inline unsigned coreCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof(set), &set) == 0) return std::max(1, CPU_COUNT(&set));
  return std::max(1u, std::thread::hardware_concurrency());
}

// One thread per core, taking jobs in order.
class DecodePool {
 public:
  explicit DecodePool(unsigned threads) {
    for (unsigned i = 0; i < threads; ++i) {
      workers_.emplace_back([this] {
        pthread_setname_np(pthread_self(), "bare-decode");  // told apart in profiles
        work();
      });
    }
  }
  ~DecodePool() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (auto& worker : workers_) worker.join();
  }
  void post(std::function<void()> job) {
    {
      std::lock_guard lock(mutex_);
      jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
  }

 private:
  void work() {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) return;
        job = std::move(jobs_.front());
        jobs_.pop_front();
      }
      job();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

// Decoded pictures kept within a pixel budget, oldest dropped first, their buffers handed to the
// next decode of the same size rather than given back to the allocator.
class PixelBudget {
 public:
  using Buffer = std::unique_ptr<std::uint32_t[]>;
  explicit PixelBudget(std::size_t limitPixels) : limit_(limitPixels) {}

  Buffer acquire(std::size_t pixels) {
    {
      std::lock_guard lock(mutex_);
      for (auto it = free_.begin(); it != free_.end(); ++it) {
        if (it->pixels != pixels) continue;
        Buffer buffer = std::move(it->buffer);
        free_.erase(it);
        return buffer;
      }
    }
    return Buffer(new std::uint32_t[pixels]);  // not cleared: the decoder writes every word
  }

  void keep(std::size_t index, Buffer buffer, std::size_t pixels) {
    std::lock_guard lock(mutex_);
    kept_.push_back({index, std::move(buffer), pixels});
    total_ += pixels;
    while (total_ > limit_ && !kept_.empty()) {
      total_ -= kept_.front().pixels;
      free_.push_back(std::move(kept_.front()));
      kept_.pop_front();
    }
  }

  std::size_t count() const {
    std::lock_guard lock(mutex_);
    return kept_.size();
  }
  // The kept pixels of picture `index`, or nullptr.
  const std::uint32_t* find(std::size_t index) const {
    std::lock_guard lock(mutex_);
    for (const auto& entry : kept_) {
      if (entry.index == index) return entry.buffer.get();
    }
    return nullptr;
  }

 private:
  struct Entry {
    std::size_t index;
    Buffer buffer;
    std::size_t pixels;
  };
  const std::size_t limit_;
  mutable std::mutex mutex_;
  std::deque<Entry> kept_;
  std::vector<Entry> free_;
  std::size_t total_ = 0;
};

[[noreturn]] inline void jpegFailed(j_common_ptr cinfo) {
  char message[JMSG_LENGTH_MAX];
  cinfo->err->format_message(cinfo, message);
  std::fprintf(stderr, "bench: libjpeg: %s\n", message);
  std::abort();
}

// Decodes straight into B, G, R, A bytes (the ARGB32 words of a little-endian machine), every row
// of the picture offered to libjpeg at once.
inline void decodeJPEG(const std::vector<unsigned char>& body, std::size_t index,
                       PixelBudget& budget) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  errors.error_exit = [](j_common_ptr c) { jpegFailed(c); };
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, body.data(), static_cast<unsigned long>(body.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(&cinfo);
  const std::size_t width = cinfo.output_width, height = cinfo.output_height;
  auto pixels = budget.acquire(width * height);
  std::vector<JSAMPROW> rows(height);
  for (std::size_t y = 0; y < height; ++y) {
    rows[y] = reinterpret_cast<JSAMPROW>(pixels.get() + y * width);
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    jpeg_read_scanlines(&cinfo, rows.data() + cinfo.output_scanline,
                        cinfo.output_height - cinfo.output_scanline);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  budget.keep(index, std::move(pixels), width * height);
}

inline std::size_t appendBody(char* bytes, std::size_t size, std::size_t count, void* out) {
  auto* body = static_cast<std::vector<unsigned char>*>(out);
  body->insert(body->end(), bytes, bytes + size * count);
  return size * count;
}

// A body being received: written once into memory reserved at its announced length.
struct Body {
  CURL* easy = nullptr;
  std::vector<unsigned char> bytes;
};

inline std::size_t appendReserved(char* bytes, std::size_t size, std::size_t count, void* out) {
  auto* body = static_cast<Body*>(out);
  if (body->bytes.empty()) {
    curl_off_t length = -1;
    curl_easy_getinfo(body->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length > 0 && length < (curl_off_t{64} << 20)) {
      body->bytes.reserve(static_cast<std::size_t>(length));
    }
  }
  body->bytes.insert(body->bytes.end(), bytes, bytes + size * count);
  return size * count;
}

// Every URL through one new libcurl multi handle (so on new connections) with `concurrency`
// transfers at once, each body decoded on `pool` as soon as it is complete and kept in `budget`.
// Returns the seconds until the last picture is decoded.
inline double loadAll(const std::vector<std::string>& urls, int concurrency, DecodePool& pool,
                      PixelBudget& budget) {
  const auto start = Clock::now();
  CURLM* multi = curl_multi_init();
  curl_multi_setopt(multi, CURLMOPT_MAX_TOTAL_CONNECTIONS, static_cast<long>(concurrency));
  std::vector<Body> bodies(urls.size());
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t decoded = 0, next = 0, done = 0;
  auto add = [&](std::size_t i) {
    CURL* easy = curl_easy_init();
    bodies[i].easy = easy;
    curl_easy_setopt(easy, CURLOPT_URL, urls[i].c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendReserved);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &bodies[i]);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, reinterpret_cast<void*>(i));
    curl_multi_add_handle(multi, easy);
  };
  for (; next < urls.size() && next < static_cast<std::size_t>(concurrency); ++next) add(next);
  while (done < urls.size()) {
    int running = 0;
    curl_multi_perform(multi, &running);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
      if (message->msg != CURLMSG_DONE) continue;
      void* index = nullptr;
      curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &index);
      long status = 0;
      curl_easy_getinfo(message->easy_handle, CURLINFO_RESPONSE_CODE, &status);
      if (message->data.result != CURLE_OK || status != 200) std::abort();
      const auto at = reinterpret_cast<std::size_t>(index);
      pool.post([&, at, body = std::move(bodies[at].bytes)] {
        decodeJPEG(body, at, budget);
        std::lock_guard lock(mutex);
        ++decoded;
        changed.notify_all();
      });
      curl_multi_remove_handle(multi, message->easy_handle);
      curl_easy_cleanup(message->easy_handle);
      ++done;
      if (next < urls.size()) add(next++);
    }
    if (done < urls.size()) curl_multi_poll(multi, nullptr, 0, 100, nullptr);
  }
  curl_multi_cleanup(multi);
  std::unique_lock lock(mutex);
  changed.wait(lock, [&] { return decoded == urls.size(); });
  return secondsSince(start);
}

// Runs `argv` (argv[0] a path) to its end and returns what it wrote on stdout.
inline std::string runProcess(const std::vector<std::string>& arguments) {
  int output[2];
  if (pipe(output) != 0) std::abort();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, output[0]);
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) std::abort();
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(output[0], buffer, sizeof(buffer))) != 0;) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
  close(output[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "bench: %s ended badly\n", argv[0]);
    std::abort();
  }
  return text;
}

// A child process serving the benchmark's pictures (bench/image_server.cpp), alive while this
// object is: its stdin is our pipe, and closing that ends it.
class ServerProcess {
 public:
  ServerProcess(const std::string& program, const std::string& directory) {
    int input[2], output[2];
    if (pipe(input) != 0 || pipe(output) != 0) std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, input[1]);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    std::vector<char*> argv = {const_cast<char*>(program.c_str()),
                               const_cast<char*>(directory.c_str()), nullptr};
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      std::fprintf(stderr, "bench: cannot start %s\n", program.c_str());
      std::abort();
    }
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    close(output[1]);
    stdin_ = input[1];
    FILE* out = fdopen(output[0], "r");
    if (out == nullptr || std::fscanf(out, "port %d", &port_) != 1) std::abort();
    std::fclose(out);
  }
  ~ServerProcess() {
    close(stdin_);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  int port() const { return port_; }
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

  // A control request (see image_server.cpp); its answer.
  std::string control(const std::string& path) const {
    std::vector<unsigned char> body;
    CURL* easy = curl_easy_init();
    const std::string url = base() + path;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    if (curl_easy_perform(easy) != CURLE_OK) std::abort();
    curl_easy_cleanup(easy);
    return std::string(body.begin(), body.end());
  }

 private:
  pid_t pid_ = 0;
  int stdin_ = -1;
  int port_ = 0;
};

}  // namespace bare
