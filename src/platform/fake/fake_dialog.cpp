// The controls of the fake dialog window: kept in memory, every change logged.

#include "base/utf8.h"
#include "platform/fake/fake_platform.h"

namespace rc::fake {

void FakeDialog::InitControls(const platform::DialogLayout& layout) {
  for (const platform::ControlLayout& c : layout.controls) {
    Control& control = controls_[c.id];
    control.name = ToUtf8(c.name);
    control.text = std::wstring(c.text);
    control.position = c.kind == platform::ControlKind::ScrollBar ? c.position : 0;
  }
}

const FakeDialog::Control* FakeDialog::Find(int control) const {
  auto it = controls_.find(control);
  return it == controls_.end() ? nullptr : &it->second;
}
FakeDialog::Control* FakeDialog::Find(int control) {
  auto it = controls_.find(control);
  return it == controls_.end() ? nullptr : &it->second;
}

void FakeDialog::Record(const Control& control, const std::string& what) {
  owner_.log.Add(caption_ + "." + control.name + " " + what);
}

void FakeDialog::SetPosition(float left, float top) {
  if (left == left_ && top == top_) return;
  left_ = left, top_ = top;
  owner_.log.Add(caption_ + ".position " + LogNumber(left) + " " + LogNumber(top));
}

// Sets one field of a control and logs the change as "<what> <text>".
template <typename T>
void FakeDialog::Set(int id, T Control::*field, T value, const std::string& what, const std::string& text) {
  Control* control = Find(id);
  if (control == nullptr || control->*field == value) return;
  control->*field = std::move(value);
  Record(*control, what + " " + text);
}
template <typename T>
T FakeDialog::Get(int id, T Control::*field, T missing) const {
  const Control* control = Find(id);
  return control != nullptr ? control->*field : missing;
}

void FakeDialog::SetText(int id, std::wstring_view text) {
  Set(id, &Control::text, std::wstring(text), "text", "\"" + ToUtf8(text) + "\"");
}
std::wstring FakeDialog::Text(int id) const { return Get(id, &Control::text, std::wstring()); }
void FakeDialog::SetItems(int id, std::span<const std::wstring> items) {
  std::string text;
  for (const std::wstring& item : items) text += (text.empty() ? "" : "|") + ToUtf8(item);
  Set(id, &Control::items, std::vector<std::wstring>(items.begin(), items.end()), "items", text);
}
std::vector<std::string> FakeDialog::Items(int id) const {
  std::vector<std::string> items;
  for (const std::wstring& item : Get(id, &Control::items, std::vector<std::wstring>())) items.push_back(ToUtf8(item));
  return items;
}
void FakeDialog::SetSelection(int id, int index) {
  Set(id, &Control::selection, index, "selection", std::to_string(index));
}
int FakeDialog::Selection(int id) const { return Get(id, &Control::selection, -1); }
void FakeDialog::SetScrollPosition(int id, int position) {
  Set(id, &Control::position, position, "position", std::to_string(position));
}
int FakeDialog::ScrollPosition(int id) const { return Get(id, &Control::position, 0); }
void FakeDialog::SetFillColour(int id, std::uint32_t bgr) { Set(id, &Control::fill, bgr, "fill", std::to_string(bgr)); }
std::uint32_t FakeDialog::FillColour(int id) const { return Get(id, &Control::fill, 0u); }

void FakeDialog::ClickByUser(int id) {
  if (open_ && Find(id) != nullptr) events_.OnControlClick(id);
}

void FakeDialog::PickByUser(int id, int index) {
  Control* control = Find(id);
  if (!open_ || control == nullptr) return;
  control->selection = index;
  events_.OnSelectionChange(id);
}

void FakeDialog::ScrollByUser(int id, int position) {
  Control* control = Find(id);
  if (!open_ || control == nullptr || control->position == position) return;
  control->position = position;
  events_.OnScrollChange(id, position);
}

void FakeDialog::TypeByUser(int id, std::wstring_view text) {
  if (Control* control = Find(id); open_ && control != nullptr) control->text = std::wstring(text);
}

}  // namespace rc::fake

// --- Machine registry and processes ------------------------------------------

namespace rc::fake {

platform::Status FakeMachineRegistry::ReadValue(platform::RegistryView view, std::wstring_view key,
                                                std::wstring_view name, platform::RegistryValue& value) {
  log_.Add(std::string(view == platform::RegistryView::Bits64 ? "hklm64" : "hklm32") + ".read " + ToUtf8(key) + " " +
           ToUtf8(name));
  auto it = values.find({view, ToUtf8(key), ToUtf8(name)});
  if (it == values.end()) return platform::Status::Failed(platform::Error::Other, 2);  // not found
  value = it->second;
  return platform::Status::Ok();
}

void FakeMachineRegistry::PutText(const std::string& key, const std::string& name, const std::string& text,
                                  bool terminated, std::optional<platform::RegistryView> view) {
  platform::RegistryValue value{platform::RegistryType::String, {}};
  for (wchar_t c : FromUtf8(text)) {
    value.bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    value.bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
  }
  if (terminated) value.bytes.insert(value.bytes.end(), {0, 0});
  Put(key, name, std::move(value), view);
}

void FakeMachineRegistry::Put(const std::string& key, const std::string& name, platform::RegistryValue value,
                              std::optional<platform::RegistryView> view) {
  for (platform::RegistryView v : {platform::RegistryView::Bits64, platform::RegistryView::Bits32}) {
    if (!view || *view == v) values[{v, key, name}] = value;
  }
}

bool FakeProcesses::FileExists(std::wstring_view path) {
  log_.Add("exists " + ToUtf8(path));
  return files.contains(ToUtf8(path));
}

platform::Status FakeProcesses::Start(std::wstring_view path) {
  log_.Add("start " + ToUtf8(path));
  if (!files.contains(ToUtf8(path))) return platform::Status::Failed(platform::Error::Other, 2);
  started.push_back(ToUtf8(path));
  return platform::Status::Ok();
}

}  // namespace rc::fake
