// SPDX-License-Identifier: GPL-3.0-or-later
// The messages of the start-up, before and as the window shows: the settings file can be
// written nowhere, or another Kestro holds the settings file and does not answer.
#pragma once

#include <string>

#include "platform/messagebox.h"
#include "platform/settingslocation.h"

namespace kestro::app {

// Every return of the window from the tray reads the settings file again, so what is not saved
// is gone then, and not only at the end.
inline platform::Message unwritableSettingsMessage(const platform::SettingsLocation& location) {
  return {.prompt =
              "Kestro cannot save its settings: a settings file can be written neither "
              "beside the program nor in your configuration folder (" +
              location.problem + ").\n\nThe settings are read from " + location.file +
              ". What you change is lost when the window comes back from the tray, which reads "
              "that file again, and when Kestro ends.",
          .title = "Kestro",
          .icon = platform::MessageIcon::Exclamation,
          .buttons = platform::MessageButtons::Ok};
}

inline platform::Message noAnswerMessage(const std::string& settingsFile) {
  return {.prompt = "Another Kestro runs on the settings file " + settingsFile +
                    " but does not answer: it may be stopped or busy.\n\nBring it back or end "
                    "it, then start Kestro again.",
          .title = "Kestro",
          .icon = platform::MessageIcon::Critical,
          .buttons = platform::MessageButtons::Ok};
}

}  // namespace kestro::app
