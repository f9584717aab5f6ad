// SPDX-License-Identifier: GPL-3.0-or-later
// The INI file on disk: its text read whole, and edited under the writers' lock with one
// replacement; and the shapes of the two system calls, one key a call.
#pragma once

#include <functional>
#include <string>

#include "platform/initext.h"

namespace kestro::platform {

// The text of the INI file at `path`; empty when the file is missing or readWholeFile refuses
// it (see platform/durablefile.h).
IniText readIniFile(const std::string& path);

// Reads the file under the writers' lock, lets `edit` change its text, and writes the result
// with one replacement (rewriteFile of platform/durablefile.h); an edit that changes nothing
// leaves the file unwritten. 0, or the errno of the failure.
int editIniFile(const std::string& path, const std::function<void(IniText&)>& edit);

// The shapes of the two system calls, one key a call, for the tests and the fuzzer.
//
// Copies the value into `buffer`, cut to size - 1 characters and followed by a 0, and returns
// how many characters it copied. When the file, the section or the key is missing,
// `defaultValue` (null: the empty text) is copied instead, without its trailing blanks. Size 0
// or a null buffer copies nothing; a null section or key (listing names) is not provided: the
// buffer is left empty and errno is EINVAL.
unsigned long GetPrivateProfileStringA(const char* section, const char* key,
                                       const char* defaultValue, char* buffer, unsigned long size,
                                       const char* file);
// Makes key=value hold in the file as IniText::set does, with one replacement, and returns
// nonzero, or returns 0 and leaves errno telling why. A null argument is refused (EINVAL).
int WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                               const char* file);

}  // namespace kestro::platform
