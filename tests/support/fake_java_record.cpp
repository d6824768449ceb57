// Reading the fake Java program's record (see fake_java_record.h).
#include "fake_java_record.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace nttest {

FakeJavaRecord readFakeJavaRecord(const std::string& hostPath) {
  FakeJavaRecord record;
  std::ifstream in(hostPath);
  if (!in) return record;
  record.present = true;
  std::string line;
  while (std::getline(in, line)) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (key == "argv") {
      record.argv.push_back(value);
    } else if (key == "env") {
      const size_t e = value.find('=');
      record.environment[value.substr(0, e)] = e == std::string::npos ? "" : value.substr(e + 1);
    } else {
      record.facts[key] = value;
    }
  }
  return record;
}

FakeJavaRecord waitForFakeJavaRecord(const std::string& hostPath, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    FakeJavaRecord record = readFakeJavaRecord(hostPath);
    if (record.present || std::chrono::steady_clock::now() > deadline) return record;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace nttest
