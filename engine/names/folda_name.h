// Turning any text into a folder name.
#pragma once

#include <string>

#include "engine/fs/env.h"

namespace pictray {

// Returns a copy of `text` up to its first line feed in which every
// character listed in `disabledchar` becomes "_"; with lenient == 0 (the
// strict form) every byte that is not an ASCII letter or digit becomes "_"
// too (one "_" per byte). `disabledchar` is compared character by character
// (UTF-8), so a listed multi-byte character never matches part of another
// one; bytes that form no valid sequence count as single characters.
std::string GetFoldaName(const std::string& text, int lenient, const std::string& disabledchar);

// The disabled characters: key "disabledchar" of Section0 of the working
// settings file (at most 99 bytes; none when missing). Runs read it once.
std::string ReadDisabledChar(const fs::Env& env, const std::string& profile);

// `text` with every space removed.
std::string GetFoldaName2(const std::string& text);

// Every upper-case ASCII letter written twice (RGB -> RRGGBB).
std::string Mojihenkan(const std::string& text);

// A target that may be used as a folder: one path component inside the
// source folder, never "", ".", "..", nor holding "/" or NUL.
bool IsSafeFolderName(const std::string& name);

}  // namespace pictray
