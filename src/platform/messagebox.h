// SPDX-License-Identifier: GPL-3.0-or-later
// The message box as the logic sees it: a prompt, a title, an icon and its buttons.
// The window shows it modally; tests answer it themselves.
#pragma once

#include <string>

namespace kestro::platform {

enum class MessageIcon { Exclamation, Critical, Information, Question };
enum class MessageButtons { Ok, OkCancel };
enum class MessageAnswer { Ok, Cancel };

struct Message {
  std::string prompt;
  std::string title;
  MessageIcon icon = MessageIcon::Exclamation;
  MessageButtons buttons = MessageButtons::Ok;
};

}  // namespace kestro::platform
