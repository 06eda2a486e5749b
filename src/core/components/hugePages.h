#pragma once

#include <QtGlobal>

#include <utility>

// A large buffer about to be filled: where the system can (Linux), its memory
// is asked for in pages of 2 MB, so that filling it costs one page fault per
// 2 MB instead of one per 4 KB. Nothing changes in what the buffer holds.
namespace HugePages {

// The buffers worth asking for: below this, the faults cost little.
inline constexpr qsizetype WorthBytes = qsizetype(32) << 20;

// The whole 2 MB pages inside `size` bytes from `address`: where the first
// begins, and the bytes they take (none when no whole page fits).
std::pair<quintptr, quintptr> wholePages(quintptr address, qsizetype size);

// Asks for them, for a buffer of at least WorthBytes.
void prefer(char* data, qsizetype size);

} // namespace HugePages
