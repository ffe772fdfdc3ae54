#pragma once
// Runs the varnel program as a user would, and looks at what it left behind.

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "test_files.h"

extern char** environ;

namespace varnel::testing {

struct RunResult {
  int status = -1;  // exit status, or 128 + the signal that ended it
  bool hung = false;
  std::string out;
  std::string err;
};

// A user and group to run the program as, so that a test run by root can see
// what a file's permissions do to everybody else.
struct RunAs {
  uid_t uid;
  gid_t gid;
};

// Runs the program in `dir` with no display, so the clipboard is the in-process
// one. A run that has not ended after a generous while is killed and reported
// as hung rather than holding up the whole test run.
inline RunResult RunVarnel(const TempDir& dir, const std::vector<std::string>& arguments,
                           std::optional<RunAs> as = std::nullopt) {
  const std::string outFile = dir.File(".stdout");
  const std::string errFile = dir.File(".stderr");
  const std::string folder = dir.Path().string();

  // Everything the child needs is built before the fork: after it, only calls
  // that are safe between fork and exec.
  std::vector<std::string> args = {VARNEL_PROGRAM};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    if (entry.rfind("DISPLAY=", 0) != 0 && entry.rfind("WAYLAND_DISPLAY=", 0) != 0) env.push_back(entry);
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  RunResult result;
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(folder.c_str()) != 0) _exit(125);
    if (as && (setgroups(0, nullptr) != 0 || setgid(as->gid) != 0 || setuid(as->uid) != 0)) _exit(125);
    execve(VARNEL_PROGRAM, argv.data(), envp.data());
    _exit(126);
  }
  if (pid > 0) {
    int status = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > giveUp) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        result.hung = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  result.out = ReadFile(outFile);
  result.err = ReadFile(errFile);
  std::filesystem::remove(outFile);
  std::filesystem::remove(errFile);
  return result;
}

// A folder's entries with what each is: a file's bytes, a link's target, or
// the kind of anything else. Two snapshots differ when a file was written,
// changed, replaced by another kind or left behind.
inline std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> entries;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const fs::path& path = entry.path();
    std::string what;
    if (entry.is_symlink()) {
      what = "link to " + fs::read_symlink(path).string();
    } else if (entry.is_regular_file()) {
      what = "file: " + ReadFile(path.string());
    } else if (entry.is_directory()) {
      what = "folder";
    } else {
      what = "special file";
    }
    entries[path.filename().string()] = what;
  }
  return entries;
}

}  // namespace varnel::testing
