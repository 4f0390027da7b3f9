#include "cross/cross.h"

namespace rc::cross {

platform::Window& Cross::Part(int part) { return part == 0 ? handle_.window() : bars_.Bar(part); }

void Cross::CreateWindows() {
  for (int part : kWindowOrder) {
    if (part == 0) {
      handle_.Create();
    } else {
      bars_.Create(part);
    }
  }
  handle_.Load();
}

void CrossLayout(Cross& cross) {
  const settings::ProgramSettings& s = cross.store().values();
  const CrossSize size{s.Length, s.Thickness, s.Gap};
  platform::Window& handle = cross.handle().window();
  platform::WindowBatch batch(cross.platform());
  for (int part : kWindowOrder) {
    const bool visible = s.PartVisible[static_cast<std::size_t>(part)];
    if (part == 0) {
      const float side = static_cast<float>(size.thickness);
      handle.SetHeight(side);
      handle.SetWidth(side);
      handle.SetBackColour(CrossColourValue(s.CrossColor));
      handle.SetVisible(visible);
      continue;
    }
    platform::Window& bar = cross.bars().Bar(part);
    // The handle's edges are read afresh for every bar: nothing is cached.
    const BarRect place = PlaceBar(part, size, handle.Left(), handle.Top());
    bar.SetTop(place.top);
    bar.SetLeft(place.left);
    bar.SetHeight(place.height);
    bar.SetWidth(place.width);
    bar.SetBackColour(CrossColourValue(s.CrossColor));
    // Applied on every run: this also undoes the hiding of a drag.
    bar.SetVisible(visible);
  }
}

}  // namespace rc::cross
