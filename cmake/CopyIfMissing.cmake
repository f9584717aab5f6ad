# SPDX-License-Identifier: GPL-3.0-or-later
# Copies SOURCE to DESTINATION only when nothing is there yet: the settings file beside the
# program holds what the user saved, and a rebuild must never overwrite it.
if(NOT EXISTS "${DESTINATION}")
  configure_file("${SOURCE}" "${DESTINATION}" COPYONLY)
endif()
