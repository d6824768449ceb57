// Reading what the tests' fake Java program recorded about its start.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace nttest {

struct FakeJavaRecord {
  std::vector<std::string> argv;
  std::map<std::string, std::string> environment;
  std::map<std::string, std::string> facts;  // pid, pgid, sid, ppid, cwd, fd0, fd1, fd2
  bool present = false;
};

FakeJavaRecord readFakeJavaRecord(const std::string& hostPath);

// Waits until the record file exists (the program may still be starting).
FakeJavaRecord waitForFakeJavaRecord(const std::string& hostPath, int timeoutMs = 20000);

}  // namespace nttest
