// The error of the command-line tools: a chain of messages, outermost first, each a context
// phrase or the text of a lower error. Lower errors are wrapped at the layer boundary and the
// whole chain is printed once, by main.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "dat/error.h"

namespace ostrevane::tools {

class ToolError {
 public:
  // An error that is its own message and has no cause.
  explicit ToolError(std::string message) { chain_.push_back(std::move(message)); }

  // The archive error's text, then the texts of its causes.
  static ToolError from(const dat::DatError& error);
  // The parse error's report, with no cause.
  static ToolError from(const dat::ParseError& error);
  // The I/O error's text, with no cause.
  static ToolError from(const dat::IoError& error);

  // Wraps the error: `message` is shown first and the current chain becomes its causes.
  ToolError context(std::string message) &&;

  const std::vector<std::string>& chain() const noexcept { return chain_; }

  // "Error: " is not included. The outermost message; then, when there are causes, an empty
  // line, "Caused by:" and the causes: one indented by four spaces, or several numbered
  // "{index:>5}: " with their further lines indented by seven spaces (four when unnumbered).
  std::string report() const;

 private:
  ToolError() = default;
  std::vector<std::string> chain_;
};

// Prints "Error: " and the report, then a line break, to standard error; returns exit status 1.
int report_failure(const ToolError& error);

}  // namespace ostrevane::tools
