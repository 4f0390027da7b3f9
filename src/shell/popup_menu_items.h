#pragma once
// The tray icon's popup menu "DizodudozPop": six plain items, in this order.

#include "platform/popup_menu.h"

namespace rc::shell {

enum MenuCommand : int {
  kAlwaysOnTop = 1,
  kHold,
  kColor,
  kRevision,
  kSWinfo,
  kFinish,
};

// clang-format off
inline constexpr platform::MenuItem kDizodudozPop[] = {
    {kAlwaysOnTop, L"항상위"}, {kHold, L"고정"},    {kColor, L"속성"},
    {kRevision, L"기계보정"},  {kSWinfo, L"S/W정보"}, {kFinish, L"종료"},
};
// clang-format on

}  // namespace rc::shell
