// The test environment itself, without the program: the serial link between COM2
// and COM3, real pointer and keyboard input on the virtual display, and reading
// screen pixels. When these fail, the program's tests cannot mean anything.
#include <string>

#include "e2e_support.h"

namespace {

// A plain top-level window of one colour that records the keys typed into it.
class ProbeWindow {
 public:
  ProbeWindow(RECT where, COLORREF colour) : colour_(colour) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ProbeWindow::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"e2e_ProbeWindow";
    RegisterClassW(&wc);  // fails harmlessly when registered already
    hwnd_ = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"probe", WS_POPUP, where.left, where.top,
                            where.right - where.left, where.bottom - where.top, nullptr, nullptr, wc.hInstance,
                            this);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    Pump(200);
  }
  ~ProbeWindow() { DestroyWindow(hwnd_); }

  HWND hwnd() const { return hwnd_; }
  const std::wstring& typed() const { return typed_; }
  int clicks() const { return clicks_; }

  // Runs this thread's messages for a while, so the window paints and gets input.
  static void Pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    do {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      Sleep(10);
    } while (GetTickCount64() < end);
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<ProbeWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HBRUSH brush = CreateSolidBrush(self->colour_);
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_CHAR:
        self->typed_ += static_cast<wchar_t>(wp);
        return 0;
      case WM_LBUTTONUP:
        ++self->clicks_;
        return 0;
      default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
  }

  COLORREF colour_;
  HWND hwnd_ = nullptr;
  std::wstring typed_;
  int clicks_ = 0;
};

TEST(HarnessTest, SerialLinkCarriesBytesBothWaysBetweenCom2AndCom3) {
  e2e::SerialPeer com2, com3;
  ASSERT_TRUE(com2.Open(L"\\\\.\\COM2"));
  ASSERT_TRUE(com3.Open(L"\\\\.\\COM3"));

  ASSERT_TRUE(com3.Write("0012345,0067890,0\r"));
  EXPECT_EQ(com2.ReadUntil('\r', 5000), "0012345,0067890,0\r");
  ASSERT_TRUE(com2.Write("01234,05678,1\rrest"));
  EXPECT_EQ(com3.ReadUntil('\r', 5000), "01234,05678,1\r");
  EXPECT_EQ(com3.Read(4, 5000), "rest");
  EXPECT_EQ(com3.Read(1, 200), "") << "nothing more was sent";
}

TEST(HarnessTest, PointerKeyboardAndPixelsReachTheVirtualDisplay) {
  ASSERT_TRUE(e2e::HarnessAvailable());
  ProbeWindow probe({300, 200, 700, 500}, RGB(0, 128, 255));

  COLORREF colour = 0;
  ASSERT_TRUE(e2e::ScreenPixel(500, 350, &colour));
  EXPECT_EQ(colour, RGB(0, 128, 255));

  ASSERT_TRUE(e2e::MouseMove(123, 456));
  POINT at{};
  EXPECT_TRUE(e2e::WaitUntil([&] { return GetCursorPos(&at) && at.x == 123 && at.y == 456; }, 2000))
      << "pointer at " << at.x << "," << at.y;
  EXPECT_TRUE(e2e::MouseMove(123, 456)) << "a move to where the pointer is already";

  ASSERT_TRUE(e2e::Click(400, 300));
  ASSERT_TRUE(e2e::Type(L"ab1"));
  ASSERT_TRUE(e2e::Key("Tab Return"));
  ProbeWindow::Pump(300);
  EXPECT_EQ(probe.clicks(), 1);
  EXPECT_EQ(e2e::Utf8(probe.typed()), "ab1\t\r");

  ASSERT_TRUE(e2e::Drag({350, 250}, {650, 450}));
  EXPECT_TRUE(e2e::WaitUntil([&] { return GetCursorPos(&at) && at.x == 650 && at.y == 450; }, 2000))
      << "pointer at " << at.x << "," << at.y;
  EXPECT_TRUE(e2e::Screenshot("harness-probe-window"));
}

}  // namespace
