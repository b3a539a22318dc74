#include "strobewerk/ProcessSetup.h"

#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void prepareProcess()
{
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0);
#if defined(__GLIBC__)
    // Blocks up to 32 MiB (the most the library allows) come from the heap
    // rather than from mappings of their own, and up to 256 MiB of free
    // heap is kept rather than given back.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
}
