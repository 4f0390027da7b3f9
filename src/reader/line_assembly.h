#pragma once
// Assembly of the bytes received from the reader into CR-terminated lines.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace rc::reader {

// The port's receive buffer, and the most text held while waiting for a CR.
inline constexpr std::size_t kReceiveBufferBytes = 1024;

// Collects received bytes until a CR arrives.
//
// Each receive event appends its bytes, less every LF: line feeds are not part
// of a reading, so a reader that ends its lines with CR LF reads as one that
// sends CR alone, however the pair is split between events. When the held text
// then contains a CR, the text up to and including the first CR is the line,
// whatever followed that CR in the same event is discarded, and the assembler is
// empty again.
//
// Bound: at most kReceiveBufferBytes characters are held without a CR. When an
// event without a CR would take the held text past that, the held text is dropped
// and assembly starts over with that event's bytes (or with nothing, when the
// event alone is longer than the bound; LFs do not count). A stream that never sends a CR therefore
// never grows memory. A line completed within one event is returned whole.
class LineAssembler {
 public:
  // Appends the bytes of one receive event; returns the completed line, if any.
  // Never throws (without memory the held text is dropped).
  std::optional<std::string> Append(std::string_view bytes) noexcept;

  // Characters currently held (never more than kReceiveBufferBytes).
  std::size_t held() const noexcept { return held_.size(); }

  // Drops whatever is held (the port was closed or reopened).
  void Clear() noexcept { held_.clear(); }

 private:
  std::string held_;
};

}  // namespace rc::reader
