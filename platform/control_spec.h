#pragma once
// A control of a window built in code: what it is, its caption, and where it stands in
// twips within the window's client area.
#include <vector>

namespace platform {

enum class ControlKind {
  Frame,
  Label,
  Link,
  Image,
  Button,
  CheckBox,
  Edit,
  HScroll,
  DropDown,
  List,
  DrawnList,  // a list whose rows the window draws itself
};

struct ControlSpec {
  int id;
  ControlKind kind;
  const wchar_t* caption;
  int left, top, width, height;
  int font;  // the window's own font choice; 0 is its ordinary face
};

inline bool TakesFocus(ControlKind kind) {
  return kind != ControlKind::Frame && kind != ControlKind::Label && kind != ControlKind::Image &&
         kind != ControlKind::Link;
}

inline bool Inside(const ControlSpec& inner, const ControlSpec& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.left + inner.width <= outer.left + outer.width &&
         inner.top + inner.height <= outer.top + outer.height;
}

inline bool Overlap(const ControlSpec& a, const ControlSpec& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

}  // namespace platform
