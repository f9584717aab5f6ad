// The one message about the settings file, shown at start-up when it can be written nowhere.
#pragma once

#include "platform/messagebox.h"
#include "platform/settingslocation.h"

namespace kestro::app {

inline platform::Message unwritableSettingsMessage(const platform::SettingsLocation& location) {
  return {.prompt =
              "Kestro cannot save its settings: a settings file can be written neither "
              "beside the program nor in your configuration folder (" +
              location.problem + ").\n\nThe settings are read from " + location.file +
              "; what you change is kept only until Kestro ends.",
          .title = "Kestro",
          .icon = platform::MessageIcon::Exclamation,
          .buttons = platform::MessageButtons::Ok};
}

}  // namespace kestro::app
