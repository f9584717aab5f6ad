// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/pickers/notifier.h"

#include <algorithm>

namespace kestro::launch {

Subscription Notifier::subscribe(std::function<void()> listener) {
  const int id = listeners_->nextId++;
  listeners_->entries.emplace_back(id, std::move(listener));
  return Subscription(listeners_, id);
}

void Notifier::notify() const {
  // A listener may subscribe or unsubscribe others: call each one that is still there.
  // Holding the list keeps it alive should a listener end the notifier's owner.
  const std::shared_ptr<Listeners> listeners = listeners_;
  std::vector<int> ids;
  ids.reserve(listeners->entries.size());
  for (const auto& entry : listeners->entries) ids.push_back(entry.first);
  for (const int id : ids) {
    const auto found = std::ranges::find_if(listeners->entries,
                                            [id](const auto& entry) { return entry.first == id; });
    if (found == listeners->entries.end()) continue;
    const std::function<void()> listener = found->second;
    listener();
  }
}

Subscription::Subscription(Subscription&& other) noexcept
    : listeners_(std::move(other.listeners_)), id_(other.id_) {
  other.listeners_.reset();
}

Subscription& Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    unsubscribe();
    listeners_ = std::move(other.listeners_);
    id_ = other.id_;
    other.listeners_.reset();
  }
  return *this;
}

Subscription::~Subscription() { unsubscribe(); }

void Subscription::unsubscribe() {
  if (const auto listeners = listeners_.lock()) {
    std::erase_if(listeners->entries, [this](const auto& entry) { return entry.first == id_; });
  }
  listeners_.reset();
}

}  // namespace kestro::launch
