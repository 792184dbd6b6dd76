// Process and thread ids on the host.
#include "CommonInternal.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace tavo_common {
uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }
uint32_t CurrentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }
}  // namespace tavo_common
