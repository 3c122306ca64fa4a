#include "components/MemoryPolicy.h"

#include <malloc.h>

namespace memory {

void returnFreedPages() {
    malloc_trim(0);
}

} // namespace memory
