// The ntrc resource compiler's handling of faulty scripts: a message naming the file and
// line of the fault, a failing exit, and no output left behind.
#include <string>

#include "tests/support/nt_test.h"

namespace {

TEST(Ntrc, FaultyScriptsAreReportedWithFileAndLine) {
  const struct {
    const char* script;
    const char* file;  // where the fault is
    int line;
    const char* message;
  } cases[] = {
      {"STRINGTABLE\nBEGIN\n 1 \"a\"\n 1 \"b\"\nEND\n", "bad.rc", 4, "already defined"},
      {"STRINGTABLE\nBEGIN\n 1 \"open\nEND\n", "bad.rc", 3, "unterminated string"},
      {"STRINGTABLE\nBEGIN\n IDS_NONE \"a\"\nEND\n", "bad.rc", 3, "'IDS_NONE' is not defined"},
      {"STRINGTABLE\nBEGIN\n 70000 \"a\"\nEND\n", "bad.rc", 3, "out of range"},
      {"STRINGTABLE\nBEGIN\n 1 \"a\"\n", "bad.rc", 3, "STRINGTABLE without END"},
      {"\n#include \"missing.h\"\n", "bad.rc", 2, "cannot find include file 'missing.h'"},
      {"#include \"ids.h\"\n", "ids.h", 2, "#if without #endif"},
      {"#ifdef X\n#else\n#else\n#endif\n", "bad.rc", 3, "#else without #if"},
      {"#define F(x) x\n", "bad.rc", 1, "parameters"},
      {"1 MENU\nBEGIN\nEND\n", "bad.rc", 1, "unsupported resource type 'MENU'"},
      {"1 DIALOG 0, 0, 10\nBEGIN\nEND\n", "bad.rc", 2, "expected ',', found 'BEGIN'"},
      {"1 DIALOG 0, 0, 10, 10\nBEGIN\n  SLIDER 1, 2, 3, 4, 5\nEND\n", "bad.rc", 3,
       "unknown control statement 'SLIDER'"},
      {"/* never closed\n", "bad.rc", 1, "unterminated comment"},
  };
  for (const auto& c : cases) {
    nttest::ScratchDir scratch;
    nttest::writeFile(scratch.file("bad.rc"), c.script);
    nttest::writeFile(scratch.file("ids.h"), "#define IDS_A 1\n#ifdef IDS_A\n");
    const std::string output = scratch.file("out.cpp");
    const nttest::ProcessResult result =
        nttest::runProgram({nttest::builtBinary("ntrc"), scratch.file("bad.rc"), output});
    EXPECT_EQ(result.exitCode, 1) << c.script;
    const std::string place = scratch.file(c.file) + ":" + std::to_string(c.line) + ": ";
    EXPECT_NE(result.err.find(place), std::string::npos) << c.script << "\n" << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << c.script << "\n" << result.err;
    EXPECT_FALSE(nttest::fileExists(output)) << c.script;
  }
}

TEST(Ntrc, UsageIsShownForWrongArguments) {
  const nttest::ProcessResult result = nttest::runProgram({nttest::builtBinary("ntrc")});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("Usage: ntrc SCRIPT.rc OUTPUT.cpp"), std::string::npos);
}

}  // namespace
