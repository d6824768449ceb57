// ntrc's string tables: the STRINGTABLE entries of a script gathered into the blocks of 16
// strings that Windows stores them in (RT_STRING, block id = string id / 16 + 1; each
// string a WORD count of UTF-16 units and the units).
#pragma once

#include <array>
#include <map>
#include <optional>
#include <utility>

#include "ntrc_binary.h"

namespace ntrc {

class StringTables {
 public:
  static constexpr uint16_t kResourceType = 6;  // RT_STRING

  void add(uint16_t language, uint16_t id, const std::string& text, const Location& where) {
    Slot& slot = blocks_[{language, static_cast<uint16_t>(id / 16 + 1)}][id % 16];
    if (slot) {
      throw ScriptError(where, "string " + std::to_string(id) + " is already defined at line " +
                                   std::to_string(slot->where.line) + " of " + slot->where.file);
    }
    std::u16string units = toUtf16(text, where);
    if (units.size() > 0xFFFF) throw ScriptError(where, "string is longer than 65535 characters");
    slot = Entry{std::move(units), where};
  }

  void appendResources(std::vector<Resource>& resources) const {
    for (const auto& [key, slots] : blocks_) {
      ByteWriter writer;
      for (const Slot& slot : slots) {
        const std::u16string text = slot ? slot->text : std::u16string();
        writer.word(static_cast<uint16_t>(text.size()));
        writer.units(text);
      }
      resources.push_back({{kResourceType, ""}, {key.second, ""}, key.first, writer.take()});
    }
  }

 private:
  struct Entry {
    std::u16string text;
    Location where;
  };
  using Slot = std::optional<Entry>;
  std::map<std::pair<uint16_t, uint16_t>, std::array<Slot, 16>> blocks_;  // (language, block)
};

}  // namespace ntrc
