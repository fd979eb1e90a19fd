// Hooks for tests of the table engine: make its writes fail as on a full disk.
#pragma once

#include <cstdint>

namespace stores::dbf::testing {

// From now on every write of the engine, in any table of this process, succeeds for `bytes`
// more bytes in total; the write that crosses the limit stores what still fits and fails with
// "no queda espacio en el disco" (ENOSPC), and so does every write after it.
void failWritesAfter(std::uint64_t bytes);

// Writes succeed again.
void stopFailingWrites();

}  // namespace stores::dbf::testing
