// The keys of Twinscan's listing: a file's signature (its first and last
// bytes as hex, with its size), read only where a key can decide something,
// and the few threads the listing and the keying share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/dupes/dupes.h"
#include "engine/fs/env.h"

namespace pictray::dupes {

// How many threads work on `count` files.
unsigned ThreadsFor(std::size_t count);

// Calls work(i, t) for every i < count, each once, on `threads` threads;
// t is the thread's number, 0 the caller's. Once `abort` is set no item is
// started.
void ShareWork(std::size_t count, unsigned threads, AbortFlag abort,
               const std::function<void(std::size_t, unsigned)>& work);

// The signature of the `n`-byte file open as `fd`; "" when it cannot be read.
std::string SignatureOf(const fs::Env& env, int fd, std::uint64_t n);

// The file open as `fd` is still the listed file of `r`.
bool AsListed(const fs::Env& env, int fd, const FileRec& r);

// Reads the keys of the regular files (and links to files, which sort by
// their target's key) whose size needs them. Files of one size are read
// together, small ones whole, the earlier file with the same bytes noted as
// its content class; the sizes are shared out among the threads. Each row's
// file is opened by its name (a path relative to its root) in the folder
// rootFds[row.root]. Without `forOrder` a file alone in its size is not
// keyed for its place among the sizes whose texts begin alike, and a file
// whose first bytes no other file of its size shares keeps only their half
// of its key (its last bytes are not read).
void ReadNeededSignatures(const fs::Env& env, const std::vector<int>& rootFds, std::vector<FileRec>& table,
                          AbortFlag abort, bool forOrder = true);

}  // namespace pictray::dupes
