#include "reader/link_status.h"

#include "settings/program_settings.h"

namespace rc::reader {

namespace {
std::wstring TwoDigits(int value) {
  std::wstring text = std::to_wstring(value);
  return text.size() < 2 ? L"0" + text : text;
}

std::string_view WithoutCr(std::string_view text) {
  return !text.empty() && text.back() == '\r' ? text.substr(0, text.size() - 1) : text;
}
}  // namespace

std::wstring ClockText(const platform::LocalTime& time) {
  return TwoDigits(time.hour) + L":" + TwoDigits(time.minute) + L":" + TwoDigits(time.second);
}

std::wstring StatusText(std::wstring_view port, const LinkStatus& status, std::wstring_view system_text) {
  std::wstring text(port);
  switch (status.state) {
    case LinkState::Open:
      return text + (status.last_line_time ? L": 열림, 마지막 수신 " + ClockText(*status.last_line_time)
                                           : std::wstring(L": 열림, 수신 대기 중"));
    case LinkState::Opening:
      return text + L": 여는 중";
    case LinkState::Missing:
      return text + L": 없음 (꽂으면 자동으로 엽니다)";
    case LinkState::Busy:
      return text + L": 다른 프로그램이 사용 중";
    case LinkState::Unreachable:
      return text + L": 응답 없음 (자동으로 다시 시도합니다)";
    case LinkState::Failed:
      return text + L": 열 수 없음 (" + std::wstring(system_text) + L")";
    case LinkState::Off:
      break;
  }
  return text + L": 닫힘 (" + std::wstring(settings::kModeWintab) + L")";
}

std::wstring VisibleBytes(std::string_view bytes) {
  static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring text;
  text.reserve(bytes.size());
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      text += static_cast<wchar_t>(byte);
    } else {
      text += L'<';
      text += kHex[byte >> 4];
      text += kHex[byte & 0xF];
      text += L'>';
    }
  }
  return text;
}

std::wstring_view DropReasonText(DropReason reason) {
  switch (reason) {
    case DropReason::WrongStatus:
      return L"상태 문자가 0 또는 3이 아님";
    case DropReason::TooShort:
      return L"16자보다 짧음";
    case DropReason::Repeat:
      return L"바로 앞 읽기와 같음";
    case DropReason::Malformed:
    case DropReason::None:
      break;
  }
  return L"형식이 맞지 않음";
}

std::wstring ReceivedText(const ReceivedLine& received, std::wstring_view system_text) {
  std::wstring text = VisibleBytes(WithoutCr(received.line)) + L" → ";
  switch (received.fate) {
    case ReceivedLine::Fate::Answered:
      return text + VisibleBytes(WithoutCr(received.reply));
    case ReceivedLine::Fate::NotSent:
      return text + VisibleBytes(WithoutCr(received.reply)) + L" 보내지 못함 (" + std::wstring(system_text) + L")";
    case ReceivedLine::Fate::Dropped:
      break;
  }
  return text + L"응답 없음: " + std::wstring(DropReasonText(received.reason));
}

}  // namespace rc::reader
