#pragma once

#include <QtGlobal>

// A large buffer about to be filled: where the system can (Linux), its memory
// is asked for in pages of 2 MB, so that filling it costs one page fault per
// 2 MB instead of one per 4 KB. Nothing changes in what the buffer holds.
namespace HugePages {

// The buffers worth asking for: below this, the faults cost little.
inline constexpr qsizetype WorthBytes = qsizetype(32) << 20;

// Asks it for the whole 2 MB pages inside `size` bytes at `data`.
void prefer(char* data, qsizetype size);

} // namespace HugePages
