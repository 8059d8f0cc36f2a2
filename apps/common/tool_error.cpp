#include "common/tool_error.h"

#include <cstdio>
#include <string_view>

namespace ostrevane::tools {

ToolError ToolError::from(const dat::DatError& error) {
  ToolError result;
  result.chain_.push_back(error.display());
  for (std::string& cause : error.causes()) result.chain_.push_back(std::move(cause));
  return result;
}

ToolError ToolError::from(const dat::ParseError& error) { return ToolError(error.report()); }

ToolError ToolError::from(const dat::IoError& error) { return ToolError(error.text()); }

ToolError ToolError::context(std::string message) && {
  chain_.insert(chain_.begin(), std::move(message));
  return std::move(*this);
}

namespace {

// Appends `text` with every line after its first preceded by `indent`, empty lines included.
void append_indented(std::string& out, std::string_view text, std::string_view indent) {
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    out.append(text.substr(start, end - start));
    if (end == std::string_view::npos) return;
    out.append("\n").append(indent);
    start = end + 1;
  }
}

}  // namespace

std::string ToolError::report() const {
  std::string out = chain_.front();
  if (chain_.size() == 1) return out;
  out += "\n\nCaused by:";
  if (chain_.size() == 2) {
    out += "\n    ";
    append_indented(out, chain_[1], "    ");
    return out;
  }
  for (std::size_t i = 1; i < chain_.size(); ++i) {
    std::string number = std::to_string(i - 1);
    out.append("\n").append(number.size() < 5 ? 5 - number.size() : 0, ' ');
    out.append(number).append(": ");
    append_indented(out, chain_[i], "       ");
  }
  return out;
}

int report_failure(const ToolError& error) {
  const std::string text = "Error: " + error.report() + "\n";
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
  return 1;
}

}  // namespace ostrevane::tools
