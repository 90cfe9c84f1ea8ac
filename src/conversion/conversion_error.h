#pragma once

#include <stdexcept>

namespace kovrel::conversion {

// A failure of the run after the declaration is loaded; the message is the cause shown below
// the run's failure message.
class ConversionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace kovrel::conversion
