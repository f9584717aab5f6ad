// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a program and measures the time from its exec to the mapping of its first window
// with a given caption and the processor time it had used by then, then its peak memory a
// little later, when its start has settled. Prints the three on one line: milliseconds,
// KiB, processor milliseconds. On a busy machine the processor time varies far less than
// the time on the clock.
//
//   kestro_startprobe CAPTION SETTLE_MS PROGRAM [ARGUMENTS...]
//     (gives up after PROBE_GIVE_UP_S seconds without the window, 20 unless set)
//   kestro_startprobe --wait-for-tray     (waits up to 10 s for a system tray to be running)
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct FreeDeleter {
  void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t atomNamed(xcb_connection_t* connection, const char* name) {
  const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      connection,
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::string(name).size()), name),
      nullptr));
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string textProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property) {
  const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
      connection,
      xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
      nullptr));
  if (!reply) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

// The peak resident memory of a running process, in KiB; 0 when it cannot be read.
long peakKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

// Whether a system tray runs on the display's first screen.
bool trayRuns(xcb_connection_t* connection) {
  const Reply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
      connection, xcb_get_selection_owner(connection, atomNamed(connection, "_NET_SYSTEM_TRAY_S0")),
      nullptr));
  return reply && reply->owner != XCB_WINDOW_NONE;
}

// The processor time a running process has used so far, in milliseconds: all its threads,
// those that have ended included.
double processorMs(pid_t pid) {
  clockid_t clock{};
  timespec used{};
  if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &used) != 0) return 0;
  return static_cast<double>(used.tv_sec) * 1e3 + static_cast<double>(used.tv_nsec) / 1e6;
}

void end(pid_t pid) {
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool waitForTray = argc == 2 && std::string(argv[1]) == "--wait-for-tray";
  if (argc < 4 && !waitForTray) {
    std::fprintf(stderr, "usage: %s CAPTION SETTLE_MS PROGRAM [ARGUMENTS...]\n", argv[0]);
    return 2;
  }
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection)) {
    std::fprintf(stderr, "cannot open the X display\n");
    return 2;
  }
  if (waitForTray) {
    for (int tries = 0; tries < 200; ++tries) {
      if (trayRuns(connection)) return 0;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 1;
  }
  const std::string caption = argv[1];
  const int settleMs = std::atoi(argv[2]);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  const xcb_atom_t netWmName = atomNamed(connection, "_NET_WM_NAME");
  // Listening before the start, so no map can be missed.
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(connection);

  const Clock::time_point start = Clock::now();
  const pid_t pid = fork();
  if (pid < 0) return 2;
  if (pid == 0) {
    execv(argv[3], argv + 3);
    std::perror(argv[3]);
    _exit(127);
  }

  const char* giveUpText = std::getenv("PROBE_GIVE_UP_S");
  const int giveUpS =
      giveUpText != nullptr && std::atoi(giveUpText) > 0 ? std::atoi(giveUpText) : 20;
  const Clock::time_point giveUp = start + std::chrono::seconds(giveUpS);
  double mappedMs = -1;
  double usedMs = 0;
  pollfd connectionFd{xcb_get_file_descriptor(connection), POLLIN, 0};
  while (mappedMs < 0 && Clock::now() < giveUp) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      std::fprintf(stderr, "%s ended before showing a window\n", argv[3]);
      return 1;
    }
    std::unique_ptr<xcb_generic_event_t, FreeDeleter> event(xcb_poll_for_event(connection));
    if (!event) {
      if (xcb_connection_has_error(connection)) return 2;
      poll(&connectionFd, 1, 50);
      continue;
    }
    if ((event->response_type & 0x7F) != XCB_MAP_NOTIFY) continue;
    const Clock::time_point mapped = Clock::now();
    const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event.get())->window;
    if (textProperty(connection, window, netWmName) == caption ||
        textProperty(connection, window, XCB_ATOM_WM_NAME) == caption) {
      mappedMs = std::chrono::duration<double, std::milli>(mapped - start).count();
      usedMs = processorMs(pid);
    }
  }
  if (mappedMs < 0) {
    std::fprintf(stderr, "no window \"%s\" within %d s\n", caption.c_str(), giveUpS);
    end(pid);
    return 1;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
  const long peak = peakKiB(pid);
  end(pid);
  xcb_disconnect(connection);
  std::printf("%.1f %ld %.1f\n", mappedMs, peak, usedMs);
  return 0;
}
