// The constants a resource script takes from the Windows SDK's headers (languages, dialog
// and control styles, standard control ids), predefined by ntrc with their public values so
// that scripts need not find those headers.
#pragma once

#include <cstdint>
#include <utility>

#include "ntrc_preprocessor.h"

namespace ntrc {

inline Macros predefinedConstants() {
  static const std::pair<const char*, int64_t> kConstants[] = {
      // languages and sublanguages
      {"LANG_NEUTRAL", 0x00}, {"LANG_CHINESE", 0x04}, {"LANG_CZECH", 0x05},
      {"LANG_DANISH", 0x06}, {"LANG_GERMAN", 0x07}, {"LANG_GREEK", 0x08},
      {"LANG_ENGLISH", 0x09}, {"LANG_SPANISH", 0x0A}, {"LANG_FINNISH", 0x0B},
      {"LANG_FRENCH", 0x0C}, {"LANG_HUNGARIAN", 0x0E}, {"LANG_ITALIAN", 0x10},
      {"LANG_JAPANESE", 0x11}, {"LANG_KOREAN", 0x12}, {"LANG_DUTCH", 0x13},
      {"LANG_NORWEGIAN", 0x14}, {"LANG_POLISH", 0x15}, {"LANG_PORTUGUESE", 0x16},
      {"LANG_RUSSIAN", 0x19}, {"LANG_SWEDISH", 0x1D}, {"LANG_TURKISH", 0x1F},
      {"SUBLANG_NEUTRAL", 0x00}, {"SUBLANG_DEFAULT", 0x01}, {"SUBLANG_SYS_DEFAULT", 0x02},
      {"SUBLANG_ENGLISH_US", 0x01}, {"SUBLANG_ENGLISH_UK", 0x02}, {"SUBLANG_GERMAN", 0x01},
      {"SUBLANG_GERMAN_SWISS", 0x02}, {"SUBLANG_GERMAN_AUSTRIAN", 0x03},
      {"SUBLANG_FRENCH", 0x01}, {"SUBLANG_FRENCH_CANADIAN", 0x03}, {"SUBLANG_SPANISH", 0x01},
      {"SUBLANG_ITALIAN", 0x01}, {"SUBLANG_DUTCH", 0x01},
      {"SUBLANG_PORTUGUESE_BRAZILIAN", 0x01}, {"SUBLANG_PORTUGUESE", 0x02},
      {"SUBLANG_CHINESE_TRADITIONAL", 0x01}, {"SUBLANG_CHINESE_SIMPLIFIED", 0x02},
      // standard control ids
      {"IDOK", 1}, {"IDCANCEL", 2}, {"IDABORT", 3}, {"IDRETRY", 4}, {"IDIGNORE", 5},
      {"IDYES", 6}, {"IDNO", 7}, {"IDCLOSE", 8}, {"IDHELP", 9}, {"IDC_STATIC", -1},
      // window styles
      {"WS_OVERLAPPED", 0x00000000}, {"WS_POPUP", 0x80000000}, {"WS_CHILD", 0x40000000},
      {"WS_MINIMIZE", 0x20000000}, {"WS_VISIBLE", 0x10000000}, {"WS_DISABLED", 0x08000000},
      {"WS_CLIPSIBLINGS", 0x04000000}, {"WS_CLIPCHILDREN", 0x02000000},
      {"WS_MAXIMIZE", 0x01000000}, {"WS_CAPTION", 0x00C00000}, {"WS_BORDER", 0x00800000},
      {"WS_DLGFRAME", 0x00400000}, {"WS_VSCROLL", 0x00200000}, {"WS_HSCROLL", 0x00100000},
      {"WS_SYSMENU", 0x00080000}, {"WS_THICKFRAME", 0x00040000}, {"WS_GROUP", 0x00020000},
      {"WS_TABSTOP", 0x00010000}, {"WS_MINIMIZEBOX", 0x00020000},
      {"WS_MAXIMIZEBOX", 0x00010000}, {"WS_OVERLAPPEDWINDOW", 0x00CF0000},
      {"WS_POPUPWINDOW", 0x80880000},
      {"WS_EX_DLGMODALFRAME", 0x00000001}, {"WS_EX_NOPARENTNOTIFY", 0x00000004},
      {"WS_EX_TOPMOST", 0x00000008}, {"WS_EX_ACCEPTFILES", 0x00000010},
      {"WS_EX_TRANSPARENT", 0x00000020}, {"WS_EX_TOOLWINDOW", 0x00000080},
      {"WS_EX_WINDOWEDGE", 0x00000100}, {"WS_EX_CLIENTEDGE", 0x00000200},
      {"WS_EX_CONTEXTHELP", 0x00000400}, {"WS_EX_RIGHT", 0x00001000},
      {"WS_EX_STATICEDGE", 0x00020000}, {"WS_EX_APPWINDOW", 0x00040000},
      // dialog styles
      {"DS_ABSALIGN", 0x0001}, {"DS_SYSMODAL", 0x0002}, {"DS_3DLOOK", 0x0004},
      {"DS_FIXEDSYS", 0x0008}, {"DS_NOFAILCREATE", 0x0010}, {"DS_LOCALEDIT", 0x0020},
      {"DS_SETFONT", 0x0040}, {"DS_MODALFRAME", 0x0080}, {"DS_NOIDLEMSG", 0x0100},
      {"DS_SETFOREGROUND", 0x0200}, {"DS_CONTROL", 0x0400}, {"DS_CENTER", 0x0800},
      {"DS_CENTERMOUSE", 0x1000}, {"DS_CONTEXTHELP", 0x2000}, {"DS_SHELLFONT", 0x0048},
      // static controls
      {"SS_LEFT", 0x00}, {"SS_CENTER", 0x01}, {"SS_RIGHT", 0x02}, {"SS_ICON", 0x03},
      {"SS_BLACKRECT", 0x04}, {"SS_GRAYRECT", 0x05}, {"SS_WHITERECT", 0x06},
      {"SS_BLACKFRAME", 0x07}, {"SS_GRAYFRAME", 0x08}, {"SS_WHITEFRAME", 0x09},
      {"SS_SIMPLE", 0x0B}, {"SS_LEFTNOWORDWRAP", 0x0C}, {"SS_BITMAP", 0x0E},
      {"SS_ETCHEDHORZ", 0x10}, {"SS_ETCHEDVERT", 0x11}, {"SS_ETCHEDFRAME", 0x12},
      {"SS_NOPREFIX", 0x80}, {"SS_NOTIFY", 0x100}, {"SS_CENTERIMAGE", 0x200},
      {"SS_SUNKEN", 0x1000},
      // buttons
      {"BS_PUSHBUTTON", 0x00}, {"BS_DEFPUSHBUTTON", 0x01}, {"BS_CHECKBOX", 0x02},
      {"BS_AUTOCHECKBOX", 0x03}, {"BS_RADIOBUTTON", 0x04}, {"BS_3STATE", 0x05},
      {"BS_AUTO3STATE", 0x06}, {"BS_GROUPBOX", 0x07}, {"BS_USERBUTTON", 0x08},
      {"BS_AUTORADIOBUTTON", 0x09}, {"BS_PUSHBOX", 0x0A}, {"BS_OWNERDRAW", 0x0B},
      {"BS_LEFTTEXT", 0x20}, {"BS_ICON", 0x40}, {"BS_BITMAP", 0x80}, {"BS_LEFT", 0x100},
      {"BS_RIGHT", 0x200}, {"BS_CENTER", 0x300}, {"BS_TOP", 0x400}, {"BS_BOTTOM", 0x800},
      {"BS_VCENTER", 0xC00}, {"BS_PUSHLIKE", 0x1000}, {"BS_MULTILINE", 0x2000},
      {"BS_NOTIFY", 0x4000}, {"BS_FLAT", 0x8000},
      // edit controls
      {"ES_LEFT", 0x0000}, {"ES_CENTER", 0x0001}, {"ES_RIGHT", 0x0002},
      {"ES_MULTILINE", 0x0004}, {"ES_UPPERCASE", 0x0008}, {"ES_LOWERCASE", 0x0010},
      {"ES_PASSWORD", 0x0020}, {"ES_AUTOVSCROLL", 0x0040}, {"ES_AUTOHSCROLL", 0x0080},
      {"ES_NOHIDESEL", 0x0100}, {"ES_OEMCONVERT", 0x0400}, {"ES_READONLY", 0x0800},
      {"ES_WANTRETURN", 0x1000}, {"ES_NUMBER", 0x2000},
      // list boxes, combo boxes, scroll bars
      {"LBS_NOTIFY", 0x0001}, {"LBS_SORT", 0x0002}, {"LBS_NOREDRAW", 0x0004},
      {"LBS_MULTIPLESEL", 0x0008}, {"LBS_OWNERDRAWFIXED", 0x0010},
      {"LBS_OWNERDRAWVARIABLE", 0x0020}, {"LBS_HASSTRINGS", 0x0040},
      {"LBS_USETABSTOPS", 0x0080}, {"LBS_NOINTEGRALHEIGHT", 0x0100},
      {"LBS_MULTICOLUMN", 0x0200}, {"LBS_WANTKEYBOARDINPUT", 0x0400},
      {"LBS_EXTENDEDSEL", 0x0800}, {"LBS_DISABLENOSCROLL", 0x1000}, {"LBS_NODATA", 0x2000},
      {"LBS_NOSEL", 0x4000}, {"LBS_STANDARD", 0x00A00003},
      {"CBS_SIMPLE", 0x0001}, {"CBS_DROPDOWN", 0x0002}, {"CBS_DROPDOWNLIST", 0x0003},
      {"CBS_OWNERDRAWFIXED", 0x0010}, {"CBS_OWNERDRAWVARIABLE", 0x0020},
      {"CBS_AUTOHSCROLL", 0x0040}, {"CBS_OEMCONVERT", 0x0080}, {"CBS_SORT", 0x0100},
      {"CBS_HASSTRINGS", 0x0200}, {"CBS_NOINTEGRALHEIGHT", 0x0400},
      {"CBS_DISABLENOSCROLL", 0x0800}, {"CBS_UPPERCASE", 0x2000}, {"CBS_LOWERCASE", 0x4000},
      {"SBS_HORZ", 0x0000}, {"SBS_VERT", 0x0001},
      // list views
      {"LVS_ICON", 0x0000}, {"LVS_REPORT", 0x0001}, {"LVS_SMALLICON", 0x0002},
      {"LVS_LIST", 0x0003}, {"LVS_SINGLESEL", 0x0004}, {"LVS_SHOWSELALWAYS", 0x0008},
      {"LVS_SORTASCENDING", 0x0010}, {"LVS_SORTDESCENDING", 0x0020},
      {"LVS_SHAREIMAGELISTS", 0x0040}, {"LVS_NOLABELWRAP", 0x0080},
      {"LVS_AUTOARRANGE", 0x0100}, {"LVS_EDITLABELS", 0x0200}, {"LVS_NOSCROLL", 0x2000},
      {"LVS_NOCOLUMNHEADER", 0x4000}, {"LVS_NOSORTHEADER", 0x8000},
  };
  Macros macros;
  for (const auto& [name, value] : kConstants) {
    Token token{Token::Kind::Number, std::to_string(value), value, Location{"<predefined>", 0}};
    if (value < 0) {
      // a negative constant is the expression "-n", as the SDK headers write it
      macros[name] = {Token{Token::Kind::Punct, "-", 0, token.where},
                      Token{Token::Kind::Number, std::to_string(-value), -value, token.where}};
    } else {
      macros[name] = {token};
    }
  }
  return macros;
}

}  // namespace ntrc
