#include "support/veltu_process.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace test_support {
namespace {

void set_close_on_exec(int fd) {
  ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
}

struct PipeFds {
  int read_end = -1;
  int write_end = -1;
  bool open() {
    int fds[2];
    if (::pipe(fds) != 0) {
      return false;
    }
    read_end = fds[0];
    write_end = fds[1];
    // Other children started meanwhile must not inherit either end.
    set_close_on_exec(read_end);
    set_close_on_exec(write_end);
    return true;
  }
};

void close_fd(int& fd) {
  if (fd >= 0) {
    ::close(fd);
    fd = -1;
  }
}

int status_of(int wait_status) {
  if (WIFEXITED(wait_status)) {
    return WEXITSTATUS(wait_status);
  }
  return WIFSIGNALED(wait_status) ? 128 + WTERMSIG(wait_status) : -1;
}

bool answers(const Json& message, const Json& id) {
  return message.is_object() && message.contains("id") && message["id"] == id &&
         (message.contains("result") || message.contains("error"));
}

}  // namespace

struct VeltuProcess::Impl {
  pid_t pid = -1;
  std::optional<int> exit_status;
  int stdin_fd = -1;
  int stdout_fd = -1;
  int stderr_fd = -1;
  std::thread stdout_reader;
  std::thread stderr_reader;
  std::int64_t next_id = 1;

  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::string> lines;  // complete stdout lines not yet consumed
  std::uint64_t generation = 0;   // counts additions to `lines`
  bool stdout_ended = false;
  std::string stderr_bytes;

  void read_stdout() {
    std::string partial;
    char chunk[65536];
    for (;;) {
      const ssize_t got = ::read(stdout_fd, chunk, sizeof chunk);
      if (got < 0 && errno == EINTR) {
        continue;
      }
      std::lock_guard lock(mutex);
      if (got <= 0) {
        if (!partial.empty()) {
          lines.push_back(std::move(partial));  // an unfinished last line is shown as well
        }
        stdout_ended = true;
        ++generation;
        changed.notify_all();
        return;
      }
      partial.append(chunk, static_cast<std::size_t>(got));
      std::size_t start = 0;
      for (auto feed = partial.find('\n'); feed != std::string::npos;
           feed = partial.find('\n', start)) {
        lines.push_back(partial.substr(start, feed - start));
        start = feed + 1;
      }
      partial.erase(0, start);
      ++generation;
      changed.notify_all();
    }
  }

  void read_stderr() {
    char chunk[4096];
    for (;;) {
      const ssize_t got = ::read(stderr_fd, chunk, sizeof chunk);
      if (got < 0 && errno == EINTR) {
        continue;
      }
      if (got <= 0) {
        return;
      }
      std::lock_guard lock(mutex);
      stderr_bytes.append(chunk, static_cast<std::size_t>(got));
    }
  }

  // The first kept line that `take` accepts, removed; waits for more lines until the deadline.
  template <class Take>
  std::optional<Json> take_line(std::chrono::milliseconds timeout, Take take) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(mutex);
    for (;;) {
      for (auto it = lines.begin(); it != lines.end(); ++it) {
        if (auto message = take(*it)) {
          lines.erase(it);
          return message;
        }
      }
      if (stdout_ended) {
        return std::nullopt;
      }
      const auto seen = generation;
      if (!changed.wait_until(lock, deadline, [&] { return generation != seen; })) {
        return std::nullopt;
      }
    }
  }

  void reap(std::chrono::milliseconds timeout) {
    if (pid <= 0 || exit_status) {
      return;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int wait_status = 0;
    for (;;) {
      const pid_t done = ::waitpid(pid, &wait_status, WNOHANG);
      if (done == pid) {
        exit_status = status_of(wait_status);
        return;
      }
      if (done < 0 && errno != EINTR) {
        exit_status = -1;
        return;
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &wait_status, 0);
        exit_status = -1;
        return;
      }
      std::this_thread::sleep_for(5ms);
    }
  }

  void join_readers() {
    if (stdout_reader.joinable()) {
      stdout_reader.join();
    }
    if (stderr_reader.joinable()) {
      stderr_reader.join();
    }
  }
};

VeltuProcess::VeltuProcess(std::vector<std::string> args, std::map<std::string, std::string> env)
    : impl_(new Impl) {
  // The child may be gone when the test writes to it.
  ::signal(SIGPIPE, SIG_IGN);

  PipeFds in;
  PipeFds out;
  PipeFds err;
  if (!in.open() || !out.open() || !err.open()) {
    ADD_FAILURE() << "pipe: " << std::strerror(errno);
    return;
  }

  std::vector<std::string> argv_strings = {VELTU_MCP_BINARY};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : argv_strings) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);
  std::vector<std::string> env_strings;
  for (const auto& [name, value] : env) {
    env_strings.push_back(name + "=" + value);
  }
  std::vector<char*> envp;
  for (auto& entry : env_strings) {
    envp.push_back(entry.data());
  }
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in.read_end, STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out.write_end, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err.write_end, STDERR_FILENO);
  const int spawned =
      ::posix_spawn(&impl_->pid, VELTU_MCP_BINARY, &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);

  ::close(in.read_end);
  ::close(out.write_end);
  ::close(err.write_end);
  impl_->stdin_fd = in.write_end;
  impl_->stdout_fd = out.read_end;
  impl_->stderr_fd = err.read_end;
  if (spawned != 0) {
    impl_->pid = -1;
    ADD_FAILURE() << "posix_spawn " << VELTU_MCP_BINARY << ": " << std::strerror(spawned);
    close_fd(impl_->stdin_fd);
    close_fd(impl_->stdout_fd);
    close_fd(impl_->stderr_fd);
    impl_->stdout_ended = true;
    return;
  }
  impl_->stdout_reader = std::thread([impl = impl_] { impl->read_stdout(); });
  impl_->stderr_reader = std::thread([impl = impl_] { impl->read_stderr(); });
}

VeltuProcess::~VeltuProcess() {
  close_stdin();
  if (impl_->pid > 0 && !impl_->exit_status) {
    ::kill(impl_->pid, SIGKILL);
    impl_->reap(10s);
  }
  impl_->join_readers();
  close_fd(impl_->stdout_fd);
  close_fd(impl_->stderr_fd);
  delete impl_;
}

void VeltuProcess::send_line(const std::string& line) {
  if (impl_->stdin_fd < 0) {
    return;
  }
  const std::string bytes = line + "\n";
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(impl_->stdin_fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) {
      continue;
    }
    if (wrote <= 0) {
      return;  // the child is gone; what it missed shows in its answers
    }
    done += static_cast<std::size_t>(wrote);
  }
}

void VeltuProcess::send(const Json& message) {
  send_line(message.dump());
}

void VeltuProcess::close_stdin() {
  close_fd(impl_->stdin_fd);
}

std::optional<Json> VeltuProcess::next_message(std::chrono::milliseconds timeout) {
  return impl_->take_line(timeout, [](const std::string& line) -> std::optional<Json> {
    Json message = Json::parse(line, nullptr, false);
    if (message.is_discarded()) {
      ADD_FAILURE() << "standard output line is not JSON: " << line;
      return Json();
    }
    return message;
  });
}

std::optional<Json> VeltuProcess::response(const Json& id, std::chrono::milliseconds timeout) {
  return impl_->take_line(timeout, [&id](const std::string& line) -> std::optional<Json> {
    Json message = Json::parse(line, nullptr, false);
    if (!message.is_discarded() && answers(message, id)) {
      return message;
    }
    return std::nullopt;
  });
}

Json VeltuProcess::request(const std::string& method, const Json& params,
                           std::chrono::milliseconds timeout) {
  const Json id = impl_->next_id++;
  send({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
  auto answer = response(id, timeout);
  if (!answer) {
    ADD_FAILURE() << "no answer to " << method << " (id " << id << ") within " << timeout.count()
                  << " ms; stderr:\n"
                  << stderr_text();
    return Json();
  }
  return std::move(*answer);
}

Json VeltuProcess::handshake(const Json& client_info, const std::string& protocol_version) {
  Json answer = request("initialize", {{"protocolVersion", protocol_version},
                                       {"capabilities", Json::object()},
                                       {"clientInfo", client_info}});
  send({{"jsonrpc", "2.0"}, {"method", "notifications/initialized"}});
  return answer;
}

int VeltuProcess::wait_exit(std::chrono::milliseconds timeout) {
  close_stdin();
  impl_->reap(timeout);
  impl_->join_readers();
  return impl_->exit_status.value_or(-1);
}

std::string VeltuProcess::stderr_text() {
  std::lock_guard lock(impl_->mutex);
  return impl_->stderr_bytes;
}

std::vector<std::string> VeltuProcess::remaining_stdout_lines() {
  std::lock_guard lock(impl_->mutex);
  return {impl_->lines.begin(), impl_->lines.end()};
}

}  // namespace test_support
