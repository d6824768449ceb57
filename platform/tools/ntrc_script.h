// ntrc's reader of a preprocessed resource script: LANGUAGE statements, STRINGTABLE
// blocks and DIALOG/DIALOGEX templates, turned into the module's resources.
#pragma once

#include <algorithm>

#include "ntrc_dialogs.h"
#include "ntrc_strings.h"

namespace ntrc {

class ScriptReader {
 public:
  explicit ScriptReader(const std::vector<Token>& tokens) : cursor_(tokens) {}

  // The resources, in the order of type, name and language; throws ScriptError.
  std::vector<Resource> read() {
    while (!cursor_.atEnd()) statement();
    strings_.appendResources(resources_);
    std::sort(resources_.begin(), resources_.end(), [](const Resource& a, const Resource& b) {
      return std::tie(a.type, a.name, a.language) < std::tie(b.type, b.name, b.language);
    });
    return std::move(resources_);
  }

 private:
  void statement() {
    if (cursor_.takeKeyword("LANGUAGE")) {
      language_ = readLanguage();
      return;
    }
    if (cursor_.takeKeyword("STRINGTABLE")) {
      stringTable();
      return;
    }
    const Location where = cursor_.peek().where;
    const ResourceName name = readResourceName(cursor_);
    const Token type = cursor_.take();
    skipMemoryFlags();
    if (type.isKeyword("DIALOG") || type.isKeyword("DIALOGEX")) {
      addUnique(readDialog(cursor_, name, language_, type.isKeyword("DIALOGEX"), where), where);
    } else if (type.kind == Token::Kind::End) {
      throw ScriptError(type.where, "expected a resource type after the resource's name");
    } else {
      throw ScriptError(type.where, "unsupported resource type '" + type.text + "'");
    }
  }

  uint16_t readLanguage() {
    const uint16_t primary = evaluateId(cursor_);
    cursor_.expectPunct(",");
    const uint16_t sub = evaluateId(cursor_);
    return static_cast<uint16_t>((sub << 10) | primary);
  }

  // Load and memory options of 16-bit Windows, accepted and ignored as rc does.
  void skipMemoryFlags() {
    static const char* const kFlags[] = {"DISCARDABLE", "PRELOAD", "LOADONCALL", "MOVEABLE",
                                         "FIXED", "PURE", "IMPURE", "SHARED", "NONSHARED"};
    for (bool found = true; found;) {
      found = std::any_of(std::begin(kFlags), std::end(kFlags),
                          [this](const char* flag) { return cursor_.takeKeyword(flag); });
    }
  }

  // STRINGTABLE [options] BEGIN id [,] "text" ... END
  void stringTable() {
    uint16_t language = language_;
    for (;;) {
      skipMemoryFlags();
      if (cursor_.takeKeyword("LANGUAGE")) {
        language = readLanguage();
      } else if (cursor_.takeKeyword("CHARACTERISTICS") || cursor_.takeKeyword("VERSION")) {
        evaluate(cursor_);
      } else {
        break;
      }
    }
    if (!cursor_.takeKeyword("BEGIN") && !cursor_.takePunct("{")) cursor_.fault("expected BEGIN");
    while (!cursor_.takeKeyword("END") && !cursor_.takePunct("}")) {
      const Location where = cursor_.peek().where;
      if (cursor_.peek().kind == Token::Kind::End) throw ScriptError(where, "STRINGTABLE without END");
      const uint16_t id = evaluateId(cursor_);
      cursor_.takePunct(",");
      if (cursor_.peek().kind != Token::Kind::String) cursor_.fault("expected the string's text");
      std::string text;
      while (cursor_.peek().kind == Token::Kind::String) text += cursor_.take().text;
      strings_.add(language, id, text, where);
    }
  }

  void addUnique(Resource resource, const Location& where) {
    for (const Resource& other : resources_) {
      if (other.type == resource.type && other.name == resource.name &&
          other.language == resource.language) {
        throw ScriptError(where, "resource defined twice");
      }
    }
    resources_.push_back(std::move(resource));
  }

  TokenCursor cursor_;
  uint16_t language_ = 0;
  StringTables strings_;
  std::vector<Resource> resources_;
};

}  // namespace ntrc
