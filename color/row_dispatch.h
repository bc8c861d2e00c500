// Chooses the row function for a pass. Nothing is cached: the CPU's features
// are read on each call, so there is no lazily written global for two threads
// to race on and no constructor that runs at load.
#ifndef IME_GRAPHICS_COLOR_ROW_DISPATCH_H
#define IME_GRAPHICS_COLOR_ROW_DISPATCH_H

#include <stddef.h>

#include "color/row.h"

namespace ime {

enum class RowPath { kC, kSse2, kAvx2, kAvx512, kNeon };

bool rowPathAvailable(RowPath path);

// The fastest available path for a pass over `words` pixel words.
RowPath bestRowPath(size_t words);

// The row function of `path` for the given mode; `path` must be available.
RowFunction rowFunction(RowPath path, bool night);

}  // namespace ime

#endif
