#pragma once

namespace memory {

// Gives the heap's free pages back to the system, which glibc keeps resident until asked.
// Called once, as the play field opens: the heap then holds what its load freed (the snapshot's
// and the decoders' scratch, up to a megabyte at 4K) and the start screen's music (1.5 MB, in
// the heap because glibc raised its bound for blocks with pages of their own once the desktop's
// grab was freed). Fixing that bound at 128 KB (M_MMAP_THRESHOLD) kept the memory as low but
// raised the click-to-sound median from 10 ms to 24 ms: every large block then costs fresh pages.
void returnFreedPages();

} // namespace memory
