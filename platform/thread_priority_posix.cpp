// Thread priority on Linux: the nice value applies to one thread when given
// its thread id.
#include "platform/thread_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tessaly::platform {

void lowerThisThreadPriority() {
  const auto thread = static_cast<id_t>(syscall(SYS_gettid));
  setpriority(PRIO_PROCESS, thread, 10);
}

}  // namespace tessaly::platform
