// Fixed sizes of the directory walk and the stack they call for.
#pragma once
#include <cstddef>

// Wide characters, terminator included, of every path the walk builds and every path it hands
// to the rename; entries whose path would not fit are skipped.
constexpr size_t WalkPathCapacity = 1024;

// Deepest nesting that such paths allow: each level adds at least a separator and one
// character to the 6-character start directory ("\\?\C:"), and the level's listing path must
// still hold "\*.*" and the terminator: 6 + 2 * 506 + 4 + 1 <= 1024.
constexpr int WalkMaxDepth = 507;

// Reserved stack of the worker thread. One level of the walk holds two path buffers and a find
// record (about 4.8 KiB with call overhead), so the deepest walk needs about 2.5 MiB; 8 MiB
// leaves room for the platform calls below the deepest level. Only the pages touched are
// committed.
constexpr size_t WorkerStackBytes = 8u * 1024u * 1024u;
