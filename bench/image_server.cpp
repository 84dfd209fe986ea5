// The loopback HTTP server of the image pipeline benchmark, run as a process of its own so that
// its threads are not counted in, nor compete inside, the process being measured.
//
//   image_server DIR    serves DIR/<n>.jpg as /img/<n>.jpg from memory, prints "port <p>" on
//                       stdout once listening, and stops when its stdin closes.
//
// Control requests (from the benchmark, between passes):
//   /reset              forgets the connections seen so far
//   /connections        how many distinct client connections were served since /reset
//   /single/close       /single.jpg now waits (up to 30 s) for /single/open; the count restarts
//   /single/open        releases every waiting /single.jpg
//   /single/count       how many /single.jpg requests arrived since /single/close
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

struct State {
  std::vector<std::string> bodies;
  std::mutex mutex;
  std::set<std::pair<std::string, int>> connections;  // remote address and port
  std::condition_variable singleReleased;
  bool singleOpen = true;
  long singleRequests = 0;

  void saw(const httplib::Request& request) {
    std::lock_guard lock(mutex);
    connections.emplace(request.remote_addr, request.remote_port);
  }
};

std::vector<std::string> readBodies(const std::string& directory) {
  std::vector<std::string> bodies;
  for (int i = 0;; ++i) {
    std::ifstream file(directory + "/" + std::to_string(i) + ".jpg", std::ios::binary);
    if (!file) break;
    bodies.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  return bodies;
}

void route(httplib::Server& server, State& state) {
  server.Get(R"(/img/(\d+)\.jpg)",
             [&state](const httplib::Request& request, httplib::Response& response) {
               state.saw(request);
               const std::size_t index = std::stoul(request.matches[1]);
               if (index >= state.bodies.size()) {
                 response.status = 404;
                 return;
               }
               response.set_content(state.bodies[index], "image/jpeg");
             });
  server.Get("/single.jpg", [&state](const httplib::Request& request, httplib::Response& response) {
    state.saw(request);
    std::unique_lock lock(state.mutex);
    ++state.singleRequests;
    state.singleReleased.wait_for(lock, std::chrono::seconds(30), [&] { return state.singleOpen; });
    response.set_content(state.bodies.back(), "image/jpeg");
  });
  auto control = [&server, &state](const char* path, auto action) {
    server.Get(path, [&state, action](const httplib::Request&, httplib::Response& response) {
      std::string answer;
      {
        std::lock_guard lock(state.mutex);
        answer = action(state);
      }
      state.singleReleased.notify_all();
      response.set_content(answer, "text/plain");
    });
  };
  control("/reset", [](State& s) {
    s.connections.clear();
    return std::string("ok");
  });
  control("/connections", [](State& s) { return std::to_string(s.connections.size()); });
  control("/single/close", [](State& s) {
    s.singleOpen = false;
    s.singleRequests = 0;
    return std::string("ok");
  });
  control("/single/open", [](State& s) {
    s.singleOpen = true;
    return std::string("ok");
  });
  control("/single/count", [](State& s) { return std::to_string(s.singleRequests); });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  State state;
  state.bodies = readBodies(argv[1]);
  if (state.bodies.empty()) {
    std::fprintf(stderr, "image_server: no DIR/0.jpg in %s\n", argv[1]);
    return 1;
  }
  httplib::Server server;
  // More workers than the benchmark ever opens connections: a waiting /single.jpg holds one.
  server.new_task_queue = [] { return new httplib::ThreadPool(64); };
  // Connections stay open for as many requests as a production server allows (httplib's default
  // of 5 would make every client reconnect every fifth picture).
  server.set_keep_alive_max_count(1000);
  route(server, state);
  const int port = server.bind_to_any_port("127.0.0.1");
  if (port <= 0) return 1;
  // Bound and listening already: connections wait in the backlog until the thread accepts.
  std::thread listener([&server] { server.listen_after_bind(); });
  // A stop() before the loop runs would be missed, and the join below would never return.
  while (!server.is_running()) std::this_thread::yield();
  std::printf("port %d\n", port);
  std::fflush(stdout);
  // The benchmark holds our stdin open for as long as it needs us.
  for (char c; std::cin.get(c);) {
  }
  server.stop();
  listener.join();
  return 0;
}
