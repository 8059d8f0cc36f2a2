#include "apps/run_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>

extern char** environ;

namespace ostrevane::testing {

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const std::map<std::string, std::optional<std::string>>& set,
                          const std::string& working_directory, int timeout_ms) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (name.starts_with("OSTREVANE_") || set.contains(name)) continue;
    env.push_back(std::move(entry));
  }
  for (const auto& [name, value] : set) {
    if (value) env.push_back(name + "=" + *value);
  }

  // Everything the child needs is built before the fork: between fork and exec the child only
  // makes system calls, so tests may run processes from several threads at once.
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  int out_pipe[2];
  int err_pipe[2];
  if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out_pipe[1], 1);
    ::dup2(err_pipe[1], 2);
    if (::chdir(working_directory.c_str()) != 0) ::_exit(127);
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);

  ProcessResult result;
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  int open_pipes = 2;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (open_pipes > 0) {
    int wait_ms = -1;
    if (timeout_ms > 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      // Out of time: the kill closes the child's ends of the pipes, and reading goes on to EOF.
      if (left.count() <= 0) {
        ::kill(pid, SIGKILL);
        timeout_ms = 0;
      } else {
        wait_ms = static_cast<int>(left.count());
      }
    }
    const int ready = ::poll(fds, 2, wait_ms);
    if (ready < 0) break;
    if (ready == 0) continue;
    for (pollfd& p : fds) {
      if (p.fd < 0 || p.revents == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(p.fd, buffer, sizeof buffer);
      if (n > 0) {
        (p.fd == out_pipe[0] ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
      } else {
        ::close(p.fd);
        p.fd = -1;
        --open_pipes;
      }
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace ostrevane::testing
