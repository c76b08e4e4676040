#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <asio/co_spawn.hpp>
#include <asio/strand.hpp>
#include <asio/thread_pool.hpp>
#include <asio/use_future.hpp>
#include <chrono>
#include <filesystem>
#include <thread>
#include <utility>

namespace bridge_test {

using Clock = std::chrono::steady_clock;

// Runs one bridge operation the way the server does: on a strand of a thread pool.
template <class T>
T run_on_strand(asio::thread_pool& pool, asio::awaitable<T> operation) {
  return asio::co_spawn(asio::make_strand(pool), std::move(operation), asio::use_future).get();
}

inline std::chrono::milliseconds elapsed_since(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

inline std::size_t open_descriptor_count() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/dev/fd")) {
    ++count;
  }
  return count;
}

// The count once it has stayed the same for a moment: the stand-in closes its side of an
// ended connection shortly after the client, so a count taken at once may still hold it.
inline std::size_t settled_descriptor_count() {
  std::size_t count = open_descriptor_count();
  for (int unchanged = 0, tries = 0; unchanged < 3 && tries < 100; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::size_t now = open_descriptor_count();
    unchanged = now == count ? unchanged + 1 : 0;
    count = now;
  }
  return count;
}

// The stand-in closes its side of a connection shortly after the client did, so the count is
// given a moment to come back.
inline std::size_t descriptor_count_settled_to(std::size_t baseline,
                                               std::chrono::milliseconds patience) {
  const auto give_up = Clock::now() + patience;
  std::size_t count = open_descriptor_count();
  while (count > baseline && Clock::now() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    count = open_descriptor_count();
  }
  return count;
}

// Each concurrent exchange holds two descriptors in the test process (both ends).
inline void allow_descriptors(rlim_t wanted) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < wanted) {
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

}  // namespace bridge_test
