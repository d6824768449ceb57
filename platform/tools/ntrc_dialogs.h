// ntrc's dialog templates: DIALOG and DIALOGEX statements compiled into the binary
// DLGTEMPLATE and DLGTEMPLATEEX layouts (header, then each item template on a 4-byte
// boundary), with the control statements' default classes and styles.
#pragma once

#include <cstring>

#include "ntrc_binary.h"

namespace ntrc {

namespace dialog {

constexpr uint16_t kResourceType = 5;  // RT_DIALOG
constexpr uint32_t kChild = 0x40000000, kVisible = 0x10000000, kPopup = 0x80000000;
constexpr uint32_t kBorder = 0x00800000, kSysMenu = 0x00080000, kCaption = 0x00C00000;
constexpr uint32_t kTabStop = 0x00010000, kGroup = 0x00020000, kSetFont = 0x0040;
constexpr uint16_t kButton = 0x80, kEdit = 0x81, kStatic = 0x82, kListBox = 0x83,
                   kScrollBar = 0x84, kComboBox = 0x85;

// A control statement: its class, its default style, and its form of arguments.
struct ControlKind {
  const char* keyword;
  uint16_t atom;
  uint32_t style;
  enum Form { Text, NoText, IconForm } form;
};

inline const ControlKind* controlKind(const Token& token) {
  static const ControlKind kKinds[] = {
      {"LTEXT", kStatic, 0x00 | kGroup, ControlKind::Text},
      {"RTEXT", kStatic, 0x02 | kGroup, ControlKind::Text},
      {"CTEXT", kStatic, 0x01 | kGroup, ControlKind::Text},
      {"PUSHBUTTON", kButton, 0x00 | kTabStop, ControlKind::Text},
      {"DEFPUSHBUTTON", kButton, 0x01 | kTabStop, ControlKind::Text},
      {"PUSHBOX", kButton, 0x0A | kTabStop, ControlKind::Text},
      {"CHECKBOX", kButton, 0x02 | kTabStop, ControlKind::Text},
      {"AUTOCHECKBOX", kButton, 0x03 | kTabStop, ControlKind::Text},
      {"RADIOBUTTON", kButton, 0x04 | kTabStop, ControlKind::Text},
      {"AUTORADIOBUTTON", kButton, 0x09 | kTabStop, ControlKind::Text},
      {"STATE3", kButton, 0x05 | kTabStop, ControlKind::Text},
      {"AUTO3STATE", kButton, 0x06 | kTabStop, ControlKind::Text},
      {"GROUPBOX", kButton, 0x07, ControlKind::Text},
      {"EDITTEXT", kEdit, 0x00 | kBorder | kTabStop, ControlKind::NoText},
      {"LISTBOX", kListBox, 0x01 | kBorder, ControlKind::NoText},
      {"COMBOBOX", kComboBox, 0x01 | kTabStop, ControlKind::NoText},
      {"SCROLLBAR", kScrollBar, 0x00, ControlKind::NoText},
      {"ICON", kStatic, 0x03, ControlKind::IconForm},
  };
  for (const ControlKind& kind : kKinds) {
    if (token.isKeyword(kind.keyword)) return &kind;
  }
  return nullptr;
}

// The predefined window classes, named in CONTROL statements, are stored as their atoms.
inline TextOrOrdinal windowClass(const std::string& name) {
  static const std::pair<const char*, uint16_t> kClasses[] = {
      {"BUTTON", kButton}, {"EDIT", kEdit}, {"STATIC", kStatic},
      {"LISTBOX", kListBox}, {"SCROLLBAR", kScrollBar}, {"COMBOBOX", kComboBox}};
  const std::string upper = upperCase(name);
  for (const auto& [className, atom] : kClasses) {
    if (upper == className) return {TextOrOrdinal::Kind::Ordinal, atom, ""};
  }
  return {TextOrOrdinal::Kind::Text, 0, name};
}

struct Item {
  uint32_t helpId = 0, exStyle = 0, style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  uint32_t id = 0;
  TextOrOrdinal windowClass, title;
  Location where;
};

struct Template {
  bool extended = false;
  uint32_t helpId = 0, exStyle = 0, style = kPopup | kBorder | kSysMenu;
  bool captionGiven = false;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  TextOrOrdinal menu, windowClass, caption;
  bool hasFont = false;
  uint16_t pointSize = 0, weight = 0;
  uint8_t italic = 0, charset = 1;
  std::string typeface;
  std::vector<Item> items;
  Location where;
};

// A style as rc reads it: terms joined by '|' added to the given start, where "NOT term"
// takes the term's bits away again.
inline uint32_t readStyle(TokenCursor& cursor, uint32_t style) {
  constexpr int kAboveOr = 4;  // binds tighter than '|'
  do {
    if (cursor.takeKeyword("NOT")) {
      style &= ~static_cast<uint32_t>(evaluate(cursor, kAboveOr));
    } else {
      style |= static_cast<uint32_t>(evaluate(cursor, kAboveOr));
    }
  } while (cursor.takePunct("|"));
  return style;
}

inline int16_t readCoordinate(TokenCursor& cursor) {
  const Location where = cursor.peek().where;
  const int64_t value = evaluate(cursor);
  if (value < -32768 || value > 32767) throw ScriptError(where, "coordinate out of range");
  return static_cast<int16_t>(value);
}

inline uint32_t readNumber(TokenCursor& cursor) { return static_cast<uint32_t>(evaluate(cursor)); }

// A text, or a number (an icon's id, a class's atom).
inline TextOrOrdinal readTextOrOrdinal(TokenCursor& cursor) {
  if (cursor.peek().kind == Token::Kind::String) {
    return {TextOrOrdinal::Kind::Text, 0, cursor.take().text};
  }
  if (cursor.peek().kind == Token::Kind::Name) {
    return {TextOrOrdinal::Kind::Text, 0, upperCase(cursor.take().text)};
  }
  return {TextOrOrdinal::Kind::Ordinal, evaluateId(cursor), ""};
}

inline void readPosition(TokenCursor& cursor, Item& item) {
  item.x = readCoordinate(cursor);
  cursor.expectPunct(",");
  item.y = readCoordinate(cursor);
  cursor.expectPunct(",");
  item.cx = readCoordinate(cursor);
  cursor.expectPunct(",");
  item.cy = readCoordinate(cursor);
}

inline uint32_t readControlId(TokenCursor& cursor, bool extended) {
  const Location where = cursor.peek().where;
  const int64_t value = evaluate(cursor);
  if (value < -32768 || value > (extended ? 0xFFFFFFFFLL : 0xFFFF)) {
    throw ScriptError(where, "control id " + std::to_string(value) + " is out of range");
  }
  return extended ? static_cast<uint32_t>(value) : static_cast<uint16_t>(value);
}

// ", style [, extended style [, help id]]" at the end of a control statement.
inline void readOptionalStyles(TokenCursor& cursor, Item& item, bool extended) {
  if (!cursor.takePunct(",")) return;
  item.style = readStyle(cursor, item.style);
  if (!cursor.takePunct(",")) return;
  item.exStyle = readNumber(cursor);
  if (extended && cursor.takePunct(",")) item.helpId = readNumber(cursor);
}

// CONTROL text, id, class, style, x, y, cx, cy [, extended style [, help id]]
inline Item readGenericControl(TokenCursor& cursor, bool extended) {
  Item item;
  item.title = readTextOrOrdinal(cursor);
  cursor.expectPunct(",");
  item.id = readControlId(cursor, extended);
  cursor.expectPunct(",");
  const TextOrOrdinal named = readTextOrOrdinal(cursor);
  item.windowClass = named.kind == TextOrOrdinal::Kind::Text ? windowClass(named.text) : named;
  cursor.expectPunct(",");
  item.style = readStyle(cursor, kChild | kVisible);
  cursor.expectPunct(",");
  readPosition(cursor, item);
  if (cursor.takePunct(",")) {
    item.exStyle = readNumber(cursor);
    if (extended && cursor.takePunct(",")) item.helpId = readNumber(cursor);
  }
  return item;
}

// LTEXT "text", id, x, y, cx, cy [, style [, extended style]], and the other statements.
inline Item readControl(TokenCursor& cursor, const ControlKind& kind, bool extended) {
  Item item;
  item.windowClass = {TextOrOrdinal::Kind::Ordinal, kind.atom, ""};
  item.style = kChild | kVisible | kind.style;
  if (kind.form != ControlKind::NoText) {
    item.title = readTextOrOrdinal(cursor);
    cursor.expectPunct(",");
  }
  item.id = readControlId(cursor, extended);
  cursor.expectPunct(",");
  if (kind.form == ControlKind::IconForm) {
    // ICON icon, id, x, y [, cx, cy [, style [, extended style]]]
    item.x = readCoordinate(cursor);
    cursor.expectPunct(",");
    item.y = readCoordinate(cursor);
    if (!cursor.takePunct(",")) return item;
    item.cx = readCoordinate(cursor);
    cursor.expectPunct(",");
    item.cy = readCoordinate(cursor);
  } else {
    readPosition(cursor, item);
  }
  readOptionalStyles(cursor, item, extended);
  return item;
}

inline void readFont(TokenCursor& cursor, Template& dialog) {
  dialog.hasFont = true;
  dialog.pointSize = static_cast<uint16_t>(readNumber(cursor));
  cursor.expectPunct(",");
  if (cursor.peek().kind != Token::Kind::String) cursor.fault("expected the font's typeface");
  dialog.typeface = cursor.take().text;
  if (!dialog.extended || !cursor.takePunct(",")) return;
  dialog.weight = static_cast<uint16_t>(readNumber(cursor));
  if (!cursor.takePunct(",")) return;
  dialog.italic = static_cast<uint8_t>(readNumber(cursor));
  if (cursor.takePunct(",")) dialog.charset = static_cast<uint8_t>(readNumber(cursor));
}

// One optional statement before BEGIN; false when the token starts none.
inline bool readDialogStatement(TokenCursor& cursor, Template& dialog, uint16_t& language) {
  if (cursor.takeKeyword("STYLE")) {
    dialog.style = readStyle(cursor, 0);
  } else if (cursor.takeKeyword("EXSTYLE")) {
    dialog.exStyle = readStyle(cursor, 0);
  } else if (cursor.takeKeyword("CAPTION")) {
    if (cursor.peek().kind != Token::Kind::String) cursor.fault("expected the caption's text");
    dialog.caption = {TextOrOrdinal::Kind::Text, 0, cursor.take().text};
    dialog.captionGiven = true;
  } else if (cursor.takeKeyword("FONT")) {
    readFont(cursor, dialog);
  } else if (cursor.takeKeyword("MENU")) {
    const ResourceName menu = readResourceName(cursor);
    dialog.menu = menu.name.empty() ? TextOrOrdinal{TextOrOrdinal::Kind::Ordinal, menu.id, ""}
                                    : TextOrOrdinal{TextOrOrdinal::Kind::Text, 0, menu.name};
  } else if (cursor.takeKeyword("CLASS")) {
    dialog.windowClass = readTextOrOrdinal(cursor);
  } else if (cursor.takeKeyword("LANGUAGE")) {
    const uint16_t primary = evaluateId(cursor);
    cursor.expectPunct(",");
    language = static_cast<uint16_t>((evaluateId(cursor) << 10) | primary);
  } else if (cursor.takeKeyword("CHARACTERISTICS") || cursor.takeKeyword("VERSION")) {
    readNumber(cursor);
  } else {
    return false;
  }
  return true;
}

inline void writeItem(ByteWriter& out, const Item& item, bool extended) {
  out.alignTo(4);
  if (extended) {
    out.dword(item.helpId);
    out.dword(item.exStyle);
    out.dword(item.style);
  } else {
    out.dword(item.style);
    out.dword(item.exStyle);
  }
  for (const int16_t value : {item.x, item.y, item.cx, item.cy}) out.word(static_cast<uint16_t>(value));
  if (extended) {
    out.dword(item.id);
  } else {
    out.word(static_cast<uint16_t>(item.id));
  }
  out.textOrOrdinal(item.windowClass, item.where);
  out.textOrOrdinal(item.title, item.where);
  out.word(0);  // no creation data
}

inline std::vector<uint8_t> encode(const Template& dialog) {
  ByteWriter out;
  if (dialog.extended) {
    out.word(1);       // version
    out.word(0xFFFF);  // signature of the extended template
    out.dword(dialog.helpId);
    out.dword(dialog.exStyle);
    out.dword(dialog.style);
  } else {
    out.dword(dialog.style);
    out.dword(dialog.exStyle);
  }
  out.word(static_cast<uint16_t>(dialog.items.size()));
  for (const int16_t value : {dialog.x, dialog.y, dialog.cx, dialog.cy}) {
    out.word(static_cast<uint16_t>(value));
  }
  out.textOrOrdinal(dialog.menu, dialog.where);
  out.textOrOrdinal(dialog.windowClass, dialog.where);
  out.textOrOrdinal(dialog.caption, dialog.where);
  if (dialog.style & kSetFont) {
    out.word(dialog.pointSize);
    if (dialog.extended) {
      out.word(dialog.weight);
      out.byte(dialog.italic);
      out.byte(dialog.charset);
    }
    out.text(toUtf16(dialog.typeface, dialog.where));
  }
  for (const Item& item : dialog.items) writeItem(out, item, dialog.extended);
  return out.take();
}

}  // namespace dialog

// name DIALOG[EX] x, y, cx, cy [, help id] [statements] BEGIN controls END; the cursor is
// after the DIALOG or DIALOGEX keyword.
inline Resource readDialog(TokenCursor& cursor, const ResourceName& name, uint16_t language,
                           bool extended, const Location& where) {
  using namespace dialog;
  Template dialog;
  dialog.extended = extended;
  dialog.where = where;
  Item frame;
  readPosition(cursor, frame);
  dialog.x = frame.x;
  dialog.y = frame.y;
  dialog.cx = frame.cx;
  dialog.cy = frame.cy;
  if (extended && cursor.takePunct(",")) dialog.helpId = readNumber(cursor);
  while (readDialogStatement(cursor, dialog, language)) {
  }
  if (!cursor.takeKeyword("BEGIN") && !cursor.takePunct("{")) cursor.fault("expected BEGIN");
  while (!cursor.takeKeyword("END") && !cursor.takePunct("}")) {
    const Token keyword = cursor.take();
    if (keyword.isKeyword("CONTROL")) {
      dialog.items.push_back(readGenericControl(cursor, extended));
    } else if (const ControlKind* kind = controlKind(keyword)) {
      dialog.items.push_back(readControl(cursor, *kind, extended));
    } else if (keyword.kind == Token::Kind::End) {
      throw ScriptError(keyword.where, "dialog without END");
    } else {
      throw ScriptError(keyword.where, "unknown control statement '" + keyword.text + "'");
    }
    dialog.items.back().where = keyword.where;
  }
  if (dialog.captionGiven) dialog.style |= kCaption;
  if (dialog.hasFont) dialog.style |= kSetFont;
  return {{kResourceType, ""}, name, language, encode(dialog)};
}

}  // namespace ntrc
