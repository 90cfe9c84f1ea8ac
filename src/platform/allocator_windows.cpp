#include "platform/allocator.h"

namespace kovrel::platform {

// The Windows heap needs no setting for this.
void tuneAllocatorForLargeDocuments() {}

}  // namespace kovrel::platform
