// loadDialogTemplate: FindResourceA, LoadResource, LockResource and SizeofResource, then the
// template's fields in their order, each control on a 4-byte boundary.
#include "dialog_template.h"

#include <cstring>

namespace {

constexpr uint32_t kSetFont = 0x40;  // DS_SETFONT: the font's size and typeface follow the title

class TemplateReader {
 public:
  TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}

  bool ok() const { return ok_; }

  uint16_t word() {
    uint16_t value = 0;
    take(&value, sizeof value);
    return value;
  }
  uint32_t dword() {
    uint32_t value = 0;
    take(&value, sizeof value);
    return value;
  }
  // A NUL-terminated UTF-16 text, in UTF-8.
  std::string text() {
    std::u16string wide;
    for (char16_t unit = word(); ok_ && unit != 0; unit = word()) wide.push_back(unit);
    if (wide.empty()) return {};
    char narrow[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), narrow,
                        sizeof narrow - 1, nullptr, nullptr);
    return narrow;
  }
  // A text, or 0xFFFF and an ordinal (returned through atom).
  std::string textOrOrdinal(uint16_t& atom) {
    atom = 0;
    const size_t start = offset_;
    if (word() == 0xFFFF) {
      atom = word();
      return {};
    }
    offset_ = start;
    return text();
  }
  void alignTo4() { offset_ = (offset_ + 3) & ~size_t{3}; }
  void skip(size_t count) { offset_ += count; }

 private:
  void take(void* out, size_t count) {
    if (offset_ + count > size_) {
      ok_ = false;
      return;
    }
    std::memcpy(out, data_ + offset_, count);
    offset_ += count;
  }

  const BYTE* data_;
  size_t size_;
  size_t offset_ = 0;
  bool ok_ = true;
};

DialogControl readControl(TemplateReader& in) {
  in.alignTo4();
  DialogControl control;
  control.style = in.dword();
  in.dword();                             // extended style
  for (int i = 0; i < 4; ++i) in.word();  // x, y, cx, cy
  control.id = in.word();
  uint16_t ignored = 0;
  in.textOrOrdinal(control.classAtom);  // a class by name leaves the atom 0
  control.text = in.textOrOrdinal(ignored);
  in.skip(in.word());  // creation data
  return control;
}

}  // namespace

std::optional<DialogTemplate> loadDialogTemplate(HMODULE module, WORD id) {
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG);
  if (!resource) return std::nullopt;
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
  if (!data) return std::nullopt;
  TemplateReader in(data, SizeofResource(module, resource));
  DialogTemplate dialog;
  dialog.style = in.dword();
  in.dword();  // extended style
  const uint16_t count = in.word();
  in.word();  // x
  in.word();  // y
  dialog.cx = static_cast<int16_t>(in.word());
  dialog.cy = static_cast<int16_t>(in.word());
  uint16_t ordinal = 0;
  in.textOrOrdinal(ordinal);  // menu
  in.textOrOrdinal(ordinal);  // class
  dialog.title = in.text();
  if (dialog.style & kSetFont) {
    dialog.pointSize = in.word();
    dialog.typeface = in.text();
  }
  for (uint16_t i = 0; i < count && in.ok(); ++i) dialog.controls.push_back(readControl(in));
  if (!in.ok()) return std::nullopt;
  return dialog;
}
