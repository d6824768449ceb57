// ntrc's preprocessor: reads a resource script and the files it includes into one list of
// tokens, with #define'd names replaced, #if/#ifdef sections chosen and directives done.
// Object-like macros only. Includes are searched beside the including file, then beside
// the script; a system header (<...>, or one of the Windows SDK's resource headers) that is
// not found is skipped, since ntrc knows the constants scripts take from them.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ntrc_expression.h"
#include "ntrc_lexer.h"

namespace ntrc {

using Macros = std::map<std::string, std::vector<Token>>;

class Preprocessor {
 public:
  explicit Preprocessor(Macros predefined) : macros_(std::move(predefined)) {}

  // The tokens of the script; throws ScriptError at the first fault.
  std::vector<Token> run(const std::string& scriptPath) {
    scriptDirectory_ = std::filesystem::path(scriptPath).parent_path().string();
    includeFile(scriptPath, Location{scriptPath, 0}, 0);
    return std::move(out_);
  }

 private:
  struct Branch {
    bool active;  // this branch and every enclosing one are taken
    bool taken;   // some branch of this #if has been taken
    bool sawElse;
    Location where;
  };

  static constexpr int kMaxIncludeDepth = 32;

  bool active() const { return branches_.empty() || branches_.back().active; }
  bool parentActive() const {
    return branches_.size() < 2 || branches_[branches_.size() - 2].active;
  }

  static std::string readText(const std::string& path, const Location& from) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ScriptError(from, "cannot read '" + path + "'");
    std::ostringstream text;
    text << in.rdbuf();
    std::string content = text.str();
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) content.erase(0, 3);  // UTF-8 mark
    return content;
  }

  void includeFile(const std::string& path, const Location& from, int depth) {
    if (depth > kMaxIncludeDepth) throw ScriptError(from, "#include nested too deeply");
    Scanner scanner(readText(path, from), path);
    const size_t openBranches = branches_.size();
    const std::string directory = std::filesystem::path(path).parent_path().string();
    for (;;) {
      scanner.skipSpace(false);
      if (scanner.atEnd()) break;
      if (scanner.peek() == '#' && scanner.atLineStart()) {
        scanner.advance();
        directive(scanner, directory, depth);
        continue;
      }
      const Token token = scanner.next(false);
      if (active()) emit(token);
    }
    if (branches_.size() > openBranches) {
      throw ScriptError(branches_.back().where, "#if without #endif");
    }
  }

  void emit(const Token& token) {
    const auto macro = token.kind == Token::Kind::Name ? macros_.find(token.text) : macros_.end();
    if (macro == macros_.end() || expanding_.count(token.text)) {
      out_.push_back(token);
      return;
    }
    expanding_.insert(token.text);
    for (Token replacement : macro->second) {
      replacement.where = token.where;  // faults show where the name was used
      emit(replacement);
    }
    expanding_.erase(token.text);
  }

  static std::vector<Token> lineTokens(Scanner& scanner) {
    std::vector<Token> tokens;
    for (Token token = scanner.next(true); token.kind != Token::Kind::End;
         token = scanner.next(true)) {
      tokens.push_back(std::move(token));
    }
    return tokens;
  }

  static std::string directiveName(Scanner& scanner, const char* directive) {
    const Token name = scanner.next(true);
    if (name.kind != Token::Kind::Name) {
      throw ScriptError(name.where, std::string("#") + directive + " needs a name");
    }
    return name.text;
  }

  void directive(Scanner& scanner, const std::string& directory, int depth) {
    const Token name = scanner.next(true);
    const std::string& d = name.text;
    if (name.kind == Token::Kind::End) return;  // a lone '#'
    if (d == "ifdef" || d == "ifndef") {
      const bool defined = macros_.count(directiveName(scanner, d.c_str())) > 0;
      openBranch(defined == (d == "ifdef"), name.where);
    } else if (d == "if") {
      const bool wanted = active() && condition(lineTokens(scanner), name.where);
      openBranch(wanted, name.where);
    } else if (d == "elif" || d == "else") {
      Branch& branch = currentBranch(name);
      const bool open = parentActive() && !branch.taken;
      const bool wanted = open && (d == "else" || condition(lineTokens(scanner), name.where));
      branch.active = wanted;
      branch.taken = branch.taken || wanted;
      branch.sawElse = d == "else";
    } else if (d == "endif") {
      if (branches_.empty()) throw ScriptError(name.where, "#endif without #if");
      branches_.pop_back();
    } else if (!active()) {
      // a directive in a section that is left out
    } else if (d == "define") {
      defineMacro(scanner);
      return;
    } else if (d == "undef") {
      macros_.erase(directiveName(scanner, "undef"));
    } else if (d == "include") {
      include(lineTokens(scanner), name.where, directory, depth);
    } else if (d == "error") {
      throw ScriptError(name.where, "#error");
    } else if (d != "pragma" && d != "line") {
      throw ScriptError(name.where, "unknown directive '#" + d + "'");
    }
    scanner.skipLine();
  }

  void openBranch(bool condition, const Location& where) {
    const bool enclosingActive = active();
    branches_.push_back({enclosingActive && condition, enclosingActive && condition, false, where});
  }

  Branch& currentBranch(const Token& directive) {
    if (branches_.empty() || branches_.back().sawElse) {
      throw ScriptError(directive.where, "#" + directive.text + " without #if");
    }
    return branches_.back();
  }

  void defineMacro(Scanner& scanner) {
    const std::string name = directiveName(scanner, "define");
    if (scanner.peek() == '(') {
      throw ScriptError(scanner.where(), "macros with parameters are not supported");
    }
    macros_[name] = lineTokens(scanner);
  }

  // #if's expression: "defined NAME" and "defined(NAME)" test for a macro, other names are
  // replaced by their definitions, and names left over count as 0.
  bool condition(const std::vector<Token>& tokens, const Location& where) {
    std::vector<Token> replaced;
    for (size_t i = 0; i < tokens.size(); ++i) {
      if (!tokens[i].is(Token::Kind::Name, "defined")) {
        expandInto(tokens[i], replaced);
        continue;
      }
      const bool parenthesised = i + 1 < tokens.size() && tokens[i + 1].isPunct("(");
      const size_t nameAt = i + (parenthesised ? 2 : 1);
      if (nameAt >= tokens.size() || tokens[nameAt].kind != Token::Kind::Name ||
          (parenthesised && (nameAt + 1 >= tokens.size() || !tokens[nameAt + 1].isPunct(")")))) {
        throw ScriptError(tokens[i].where, "'defined' needs a name");
      }
      replaced.push_back(number(macros_.count(tokens[nameAt].text) ? 1 : 0, tokens[i].where));
      i = nameAt + (parenthesised ? 1 : 0);
    }
    if (replaced.empty()) throw ScriptError(where, "#if needs an expression");
    TokenCursor cursor(replaced);
    const int64_t value = evaluate(cursor);
    if (!cursor.atEnd()) cursor.fault("unexpected token in #if");
    return value != 0;
  }

  void expandInto(const Token& token, std::vector<Token>& into) {
    const size_t before = out_.size();
    emit(token);
    for (size_t i = before; i < out_.size(); ++i) {
      into.push_back(out_[i].kind == Token::Kind::Name ? number(0, out_[i].where) : out_[i]);
    }
    out_.resize(before);
  }

  static Token number(int64_t value, const Location& where) {
    return Token{Token::Kind::Number, std::to_string(value), value, where};
  }

  void include(const std::vector<Token>& tokens, const Location& where,
               const std::string& directory, int depth) {
    std::string file;
    const bool system = !tokens.empty() && tokens[0].isPunct("<");
    if (!tokens.empty() && tokens[0].kind == Token::Kind::String) {
      file = tokens[0].text;
    } else if (system) {
      for (size_t i = 1; i < tokens.size() && !tokens[i].isPunct(">"); ++i) file += tokens[i].text;
    }
    if (file.empty()) throw ScriptError(where, "#include needs a file name");
    for (const std::string& base : {directory, scriptDirectory_}) {
      const std::filesystem::path candidate = std::filesystem::path(base) / file;
      if (std::filesystem::is_regular_file(candidate)) {
        includeFile(candidate.string(), where, depth + 1);
        return;
      }
    }
    if (!system && !isSdkHeader(file)) {
      throw ScriptError(where, "cannot find include file '" + file + "'");
    }
  }

  static bool isSdkHeader(std::string file) {
    static const std::set<std::string> kHeaders = {
        "windows.h", "winres.h", "winresrc.h", "afxres.h", "winuser.h", "winnt.h",
        "commctrl.h", "winver.h", "dlgs.h", "richedit.h", "winuser.rh", "commctrl.rh"};
    for (char& c : file) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return kHeaders.count(file) > 0;
  }

  Macros macros_;
  std::set<std::string> expanding_;
  std::vector<Branch> branches_;
  std::vector<Token> out_;
  std::string scriptDirectory_;
};

}  // namespace ntrc
