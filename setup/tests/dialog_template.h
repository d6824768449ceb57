// Reading a dialog template (the DLGTEMPLATE layout of a DIALOG resource) back into its title,
// font and controls, to check what an installer would show.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"

struct DialogControl {
  uint32_t style = 0;
  uint16_t id = 0;
  uint16_t classAtom = 0;  // 0x80 button, 0x81 edit, 0x82 static, 0x83 list box; 0: by name
  std::string text;
};

struct DialogTemplate {
  uint32_t style = 0;
  int16_t cx = 0, cy = 0;
  std::string title;
  uint16_t pointSize = 0;
  std::string typeface;
  std::vector<DialogControl> controls;
};

// The dialog resource of the module with the id, read from its bytes; none when the module has
// no such dialog or its bytes do not hold a whole template.
std::optional<DialogTemplate> loadDialogTemplate(HMODULE module, WORD id);
