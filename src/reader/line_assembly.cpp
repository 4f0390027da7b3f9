#include "reader/line_assembly.h"

namespace rc::reader {

std::optional<std::string> LineAssembler::Append(std::string_view bytes) noexcept {
  try {
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
