#pragma once

namespace kovrel::platform {

// Sets the process's allocator up for a run that builds and frees a declaration of hundreds of
// thousands of small nodes. Called once at start-up, before anything is allocated in numbers.
void tuneAllocatorForLargeDocuments();

}  // namespace kovrel::platform
