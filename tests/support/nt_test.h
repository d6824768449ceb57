// Test fixtures: scratch directories, a fresh machine root for each test, and a way to run
// the built programs and see what they printed.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace nttest {

// A temporary directory removed with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  // A host path inside the directory.
  std::string file(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

std::string readFile(const std::string& hostPath);
void writeFile(const std::string& hostPath, const std::string& content);
void makeDirectories(const std::string& hostPath);
bool fileExists(const std::string& hostPath);

// Each test gets its own machine root (NT_ROOT) in a scratch directory, with drive C: mapped
// to the directory root()/drive_c.
class MachineRootTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Stops the machine root's service control manager, so that no test leaves it running.
  void TearDown() override;

  // Stops the manager (ntscm) of the machine root, if one runs: SIGTERM, then SIGKILL when it
  // has not ended in time. Its services' processes end with it.
  void stopServiceManager();

  const std::string& root() const { return root_; }
  // The host directory that stands for C:\.
  const std::string& driveC() const { return driveC_; }
  void mapDrive(char letter, const std::string& hostDirectory);
  ScratchDir& scratch() { return scratch_; }

 private:
  ScratchDir scratch_;
  std::string root_;
  std::string driveC_;
  std::string savedRoot_;
  bool hadRoot_ = false;
};

// The host path of a program or library the build produced.
std::string builtBinary(const std::string& name);

struct ProcessResult {
  int exitCode = -1;      // exit status, or 128 + signal
  bool timedOut = false;
  std::string out;
  std::string err;
};

struct RunOptions {
  std::vector<std::string> environment;  // "NAME=value" added to (or replacing in) ours; the
                                         // last of a name wins
  std::vector<std::string> unset;        // names removed from ours
  std::string directory;                 // working directory; empty = ours
  std::chrono::milliseconds timeout{std::chrono::seconds(60)};
  std::string input;                     // written to the child's standard input
};

// Runs a program to its end and captures its output.
ProcessResult runProgram(const std::vector<std::string>& argv, const RunOptions& options = {});

}  // namespace nttest
