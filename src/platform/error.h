#pragma once

#include <stdexcept>
#include <string>

namespace kovrel {

// The core's one way of failing: thrown where the failure is found, its text the cause a user
// reads (in Turkish, from the message catalogue); each front end turns it into its message in
// one place.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What stopped a file operation, in the terms a user can act on.
enum class FileProblem {
    NotFound,
    AccessDenied,
    ReadOnly,
    DiskFull,
    TooLarge,  // beyond the largest file the disk or the system allows
    InUse,
    PathTooLong,
    Other,
};

// A file or folder the system refused; the kind lets a caller tell a save that the user can
// retry (a file held open, no room) from the rest.
class FileError : public Error {
  public:
    FileError(FileProblem problem, const std::string& cause) : Error(cause), problem_(problem) {}
    FileProblem problem() const { return problem_; }

  private:
    FileProblem problem_;
};

// A declaration file that is not well-formed XML, or that the program refuses to read.
class ParseError : public Error {
  public:
    using Error::Error;
};

}  // namespace kovrel
