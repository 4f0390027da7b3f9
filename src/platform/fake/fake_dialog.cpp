// The controls of the fake dialog window, kept in memory, and the machine
// registry and processes.

#include "base/utf8.h"
#include "platform/fake/fake_platform.h"

namespace rc::fake {

FakeDialog::FakeDialog(FakePlatform& owner, const platform::DialogLayout& layout, platform::DialogEvents& events)
    : owner_(owner),
      events_(events),
      caption_(ToUtf8(layout.caption)),
      client_width_(layout.client_width),
      client_height_(layout.client_height) {
  for (const platform::ControlLayout& c : layout.controls) {
    Control& control = controls_[c.id];
    control.text = std::wstring(c.text);
    control.position = c.kind == platform::ControlKind::ScrollBar ? c.position : 0;
  }
  owner_.dialogs_.push_back(this);
}

const FakeDialog::Control& FakeDialog::Get(int control) const {
  static const Control kBlank = [] {
    Control blank;
    blank.fill = 0;
    return blank;
  }();
  auto it = controls_.find(control);
  return it == controls_.end() ? kBlank : it->second;
}
FakeDialog::Control* FakeDialog::Find(int control) {
  auto it = controls_.find(control);
  return it == controls_.end() ? nullptr : &it->second;
}

void FakeDialog::SetPosition(float left, float top) { left_ = left, top_ = top; }
void FakeDialog::SetText(int id, std::wstring_view text) {
  if (Control* c = Find(id)) c->text = text;
}
std::wstring FakeDialog::Text(int id) const { return Get(id).text; }
void FakeDialog::SetItems(int id, std::span<const std::wstring> items) {
  if (Control* c = Find(id)) c->items.assign(items.begin(), items.end());
}
std::vector<std::string> FakeDialog::Items(int id) const {
  std::vector<std::string> items;
  for (const std::wstring& item : Get(id).items) items.push_back(ToUtf8(item));
  return items;
}
void FakeDialog::SetSelection(int id, int index) {
  if (Control* c = Find(id)) c->selection = index;
}
int FakeDialog::Selection(int id) const { return Get(id).selection; }
void FakeDialog::SetScrollPosition(int id, int position) {
  if (Control* c = Find(id)) c->position = position;
}
int FakeDialog::ScrollPosition(int id) const { return Get(id).position; }
void FakeDialog::SetFillColour(int id, std::uint32_t bgr) {
  if (Control* c = Find(id)) c->fill = bgr;
}
std::uint32_t FakeDialog::FillColour(int id) const { return Get(id).fill; }

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

platform::Status FakeMachineRegistry::ReadValue(platform::RegistryView view, std::wstring_view key,
                                                std::wstring_view name, platform::RegistryValue& value) {
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

bool FakeProcesses::FileExists(std::wstring_view path) { return files.contains(ToUtf8(path)); }

platform::Status FakeProcesses::Start(std::wstring_view path) {
  log_.Add("start " + ToUtf8(path));
  if (!files.contains(ToUtf8(path))) return platform::Status::Failed(platform::Error::Other, 2);
  started.push_back(ToUtf8(path));
  return platform::Status::Ok();
}

}  // namespace rc::fake
