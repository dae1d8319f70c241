// Path helpers on the file system's bytes: joining, the parent folder, and
// what a name stands for.
#pragma once

#include <string>

#include "engine/fs/env.h"

namespace pictray {

// folder + "/" + name, without doubling a trailing "/".
std::string JoinPath(const std::string& folder, const std::string& name);

// `path` with the current folder before it when it is relative (bytes kept).
std::string AbsolutePath(const std::string& path);

// Whether two paths name the same folder as the user wrote them: the bytes
// of their absolute paths, a trailing "/" not counting. Links and "." or
// ".." are not resolved.
bool SameFolderPath(const std::string& a, const std::string& b);

// Cuts `path` at its last "/" (the separator goes too). A path whose only
// "/" is its first character, or that has none, is left as it is.
void PathFoldaRemove(std::string& path);

// A relative path of one to `maxDepth` names, each neither empty, "." nor
// "..", and no NUL: a path that stays inside the folder it is taken from.
bool IsPathInside(const std::string& path, int maxDepth);

// An existing folder (links followed).
bool IsFolder(const fs::Env& env, const std::string& path);
// Anything at all under that name, a dangling link included.
bool PathExists(const fs::Env& env, const std::string& path);
// Removes the file `path` when there is one: 0 when it is gone (or never
// was), else the errno of the failed removal.
int RemoveFileIfPresent(const fs::Env& env, const std::string& path);

}  // namespace pictray
