#include "reader/line_assembly.h"

namespace rc::reader {

std::optional<std::string> LineAssembler::Append(std::string_view received) noexcept {
  try {
    std::string without_lf;
    std::string_view bytes = received;
    if (received.find('\n') != std::string_view::npos) {
      without_lf.reserve(received.size());
      for (char c : received)
        if (c != '\n') without_lf += c;
      bytes = without_lf;
    }
    const std::size_t cr = bytes.find('\r');
    if (cr == std::string_view::npos) {
      if (held_.size() + bytes.size() > kReceiveBufferBytes) {
        held_.clear();
        if (bytes.size() > kReceiveBufferBytes) return std::nullopt;
      }
      held_.append(bytes);
      return std::nullopt;
    }
    std::string line = std::move(held_);
    held_.clear();
    line.append(bytes.substr(0, cr + 1));
    return line;
  } catch (...) {
    held_.clear();
    return std::nullopt;
  }
}

}  // namespace rc::reader
