#pragma once

#include <stdexcept>

namespace kovrel {

// The core's one way of failing: thrown where the failure is found, its text the cause a user
// reads; each front end turns it into its message in one place.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace kovrel
