#include "app/system_clipboard.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/gui_module.h"
#include "platform/in_process_clipboard.h"

namespace varnel {
namespace {

bool SocketAccepts(const std::string& path, bool abstract) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const size_t offset = abstract ? 1 : 0;
  if (path.size() + offset >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path + offset, path.data(), path.size());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
  const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
  close(fd);
  return ok;
}

// A local X display ":N" or ":N.S" (with or without "unix" before the colon).
bool X11DisplayReachable(const char* display) {
  std::string name(display);
  if (name.rfind("unix:", 0) == 0) name.erase(0, 4);
  if (name.empty() || name[0] != ':') return false;  // remote displays are not tried
  std::string number = name.substr(1, name.find('.') == std::string::npos ? std::string::npos : name.find('.') - 1);
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return false;
  const std::string path = "/tmp/.X11-unix/X" + number;
  return SocketAccepts(path, false) || SocketAccepts(path, true);
}

bool WaylandDisplayReachable(const char* display) {
  std::string path(display);
  if (path.empty()) return false;
  if (path[0] != '/') {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime) return false;
    path = std::string(runtime) + "/" + path;
  }
  return SocketAccepts(path, false);
}

}  // namespace

bool DisplayReachable() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (wayland && WaylandDisplayReachable(wayland)) return true;
  const char* x11 = std::getenv("DISPLAY");
  return x11 && X11DisplayReachable(x11);
}

void* FindGuiFunction(const char* name) {
  static void* const module = [] {
    char program[4096];
    const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0) return static_cast<void*>(nullptr);
    std::string path(program, static_cast<size_t>(length));
    path.erase(path.rfind('/') + 1);
    return dlopen((path + kGuiModuleFile).c_str(), RTLD_NOW | RTLD_LOCAL);
  }();
  return module ? dlsym(module, name) : nullptr;
}

TClipboardHandle MakeUnattendedClipboard() {
  const auto deleteInProcess = [](TClipboard* clipboard) { delete clipboard; };
  if (DisplayReachable()) {
    const auto open = reinterpret_cast<VarnelOpenSystemClipboard>(FindGuiFunction("varnel_open_system_clipboard"));
    const auto close = reinterpret_cast<VarnelCloseSystemClipboard>(FindGuiFunction("varnel_close_system_clipboard"));
    if (open && close) {
      if (TClipboard* desktop = open()) return TClipboardHandle(desktop, close);
    }
  }
  return TClipboardHandle(new TInProcessClipboard(), deleteInProcess);
}

}  // namespace varnel
