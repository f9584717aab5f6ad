// One Kestro per settings file: two windows on one file would save over each other. The first
// start holds a lock keyed on the settings file's path and listens on a local socket of the
// same key; a later start finds the lock taken, asks the first one to come forward and ends.
// The socket is a plain Unix one: Qt's network library would cost every start its loading.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <memory>
#include <string>

namespace kestro::app {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Claim {
    First,      // this process runs the window
    Forwarded,  // another process runs it and was asked to come forward
    NoAnswer,   // another process holds the lock but did not answer
  };

  explicit SingleInstance(const QString& settingsFile, QObject* parent = nullptr);
  ~SingleInstance() override;

  // Waits at most `patienceMs` for a running first instance to answer.
  Claim claim(int patienceMs = 5000);

 signals:
  void comeForward();

 private:
  void listen();
  void answer();

  // Names the socket and the lock: the user's id and a hash of the settings file's path.
  QString key_;
  std::unique_ptr<QLockFile> lock_;
  // The socket's file in the temporary folder, where the first instance listens.
  std::string socketPath_;
  int listener_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace kestro::app
