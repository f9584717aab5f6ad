// SPDX-License-Identifier: GPL-3.0-or-later
// Change notifications of the picker models: the form listens to run its change handlers,
// and the Qt views listen to show the model again. A subscription ends when either side
// goes first, so a view may outlive its model and a model its views.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace kestro::launch {

class Subscription;

class Notifier {
 public:
  Notifier() = default;
  Notifier(const Notifier&) = delete;
  Notifier& operator=(const Notifier&) = delete;

  [[nodiscard]] Subscription subscribe(std::function<void()> listener);
  void notify() const;

 private:
  friend class Subscription;
  struct Listeners {
    int nextId = 0;
    std::vector<std::pair<int, std::function<void()>>> entries;
  };
  std::shared_ptr<Listeners> listeners_ = std::make_shared<Listeners>();
};

// Keeps a listener subscribed for as long as it lives.
class Subscription {
 public:
  Subscription() = default;
  Subscription(Subscription&& other) noexcept;
  Subscription& operator=(Subscription&& other) noexcept;
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription();

  // Whether the notifier, and so the model that holds it, still exists.
  bool connected() const { return !listeners_.expired(); }

 private:
  friend class Notifier;
  Subscription(std::weak_ptr<Notifier::Listeners> listeners, int id)
      : listeners_(std::move(listeners)), id_(id) {}
  void unsubscribe();

  std::weak_ptr<Notifier::Listeners> listeners_;
  int id_ = 0;
};

}  // namespace kestro::launch
