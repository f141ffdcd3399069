// Running a program, without a shell, and capturing what it prints.
#ifndef MAE_TESTKIT_RUN_PROCESS_H
#define MAE_TESTKIT_RUN_PROCESS_H

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace bmptest {

struct RunResult {
  std::string out;
  std::string err;
  int exit_status = -1;  // -1 when the program did not exit normally
  long max_rss_kib = 0;  // the program's peak resident size
};

inline std::string Drain(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t n = 0;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return text;
}

// Runs `program` with `args` (no shell) and returns its
// standard output, standard error and exit status. Standard error goes to a
// file so that neither pipe can fill up while the other is read. With
// `address_space`, the program runs with at most that many bytes of it.
inline RunResult Run(const std::string& program, const std::vector<std::string>& args,
                     std::uint64_t address_space = 0) {
  int out_pipe[2];
  if (::pipe(out_pipe) != 0) {
    throw std::runtime_error("pipe failed");
  }
  char err_name[] = "/tmp/mae-stderr-XXXXXX";
  const int err_fd = ::mkstemp(err_name);
  if (err_fd < 0) {
    throw std::runtime_error("mkstemp failed");
  }
  ::unlink(err_name);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err_fd, 2);
  posix_spawn_file_actions_addclose(&actions, out_pipe[0]);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

  std::vector<std::string> argv_strings = {program};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : argv_strings) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);

  pid_t pid = 0;
  // The limit is inherited: set for the spawn, given back at once.
  struct rlimit had {};
  ::getrlimit(RLIMIT_AS, &had);
  if (address_space != 0) {
    struct rlimit limit = had;
    limit.rlim_cur = static_cast<rlim_t>(address_space);
    ::setrlimit(RLIMIT_AS, &limit);
  }
  const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  ::setrlimit(RLIMIT_AS, &had);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out_pipe[1]);
  RunResult result;
  if (spawned != 0) {
    ::close(out_pipe[0]);
    ::close(err_fd);
    throw std::runtime_error("cannot start " + program);
  }
  result.out = Drain(out_pipe[0]);
  ::close(out_pipe[0]);
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  result.max_rss_kib = usage.ru_maxrss;
  if (WIFEXITED(status)) {
    result.exit_status = WEXITSTATUS(status);
  }
  ::lseek(err_fd, 0, SEEK_SET);
  result.err = Drain(err_fd);
  ::close(err_fd);
  return result;
}

}  // namespace bmptest

#endif  // MAE_TESTKIT_RUN_PROCESS_H
