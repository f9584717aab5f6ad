// SPDX-License-Identifier: GPL-3.0-or-later
// One Kestro per settings file: two windows on one file would save over each other.
//
// The first start holds a lock keyed on the settings file's real path and listens on a Unix
// socket of the same key; a later start finds the lock taken, asks the first one to come
// forward, waits a bounded time for its answer and ends. Both live in a folder only the user
// can reach: $XDG_RUNTIME_DIR, or else the user's cache folder's "kestro", each taken only when
// it is a real folder (not a link), owned by the user and closed to everyone else. Nothing
// another user puts anywhere changes what a start does. The lock is flock()'s: the kernel drops
// it when its holder ends, however it ends, and a later start takes it over. The first instance
// removes the socket and the lock file when it ends.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <chrono>
#include <memory>
#include <string>

namespace kestro::app {

// The folder the single instance lives in, open, or -1 when none will do. `runtime` and
// `cache` are the values of XDG_RUNTIME_DIR and of the cache folder (XDG_CACHE_HOME or
// ~/.cache); the cache's "kestro" folder is made with mode 0700 when missing.
int openInstanceFolder(const std::string& runtime, const std::string& cache);

// The same for this process's environment.
int openInstanceFolder();

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Claim {
    First,      // this process runs the window
    Forwarded,  // another process runs it and answered that it came forward
    NoAnswer,   // another process holds the lock but did not answer in time
  };

  // Takes over `folder` (an open descriptor, or -1 for none: the start then runs unguarded).
  SingleInstance(const std::string& settingsFile, int folder, QObject* parent = nullptr);
  ~SingleInstance() override;
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Waits at most `patience` for a running first instance to answer.
  Claim claim(std::chrono::milliseconds patience = std::chrono::seconds(5));

 signals:
  void comeForward();

 private:
  bool tryLock();
  void listen();
  void answer();
  // The socket's path through this process's descriptor of the folder: short whatever the
  // folder's own path.
  std::string socketPath() const;

  std::string key_;
  int folder_;
  int lock_ = -1;
  int listener_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace kestro::app
