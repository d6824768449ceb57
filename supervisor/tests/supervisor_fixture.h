// A machine root with the product installed at C:\prod (the supervisor, the platform library
// and the message libraries copied into C:\prod\bin) and a JDK at C:\jdk whose java.exe is the
// tests' fake Java program; and ways to run the supervisor and read what it wrote.
#pragma once

#include <string>
#include <vector>

#include "platform/src/eventlog_record.h"
#include "platform/win32.h"
#include "tests/support/fake_java_record.h"
#include "tests/support/nt_test.h"

// A diagnostic file's text with the thread-id prefixes of its trace lines removed.
std::string tracesOf(const std::string& hostPath);

class SupervisorTest : public nttest::MachineRootTest {
 protected:
  void SetUp() override;

  // A host path under C:\prod.
  std::string prod(const std::string& relative = "") const;
  std::string supervisorPath() const { return prod("bin/moxalsvc"); }
  // Writes C:\prod\classes\properties.
  void writeProperties(const std::string& text) const;
  // Sets a value of HKLM\Software\TARQ\MOXAL\1.0.
  void setProductValue(const std::string& name, const std::string& type, const std::string& data) const;

  // Runs the installed supervisor with a known environment: no MOXAL_* or Java variables,
  // LANG=C, HOME in the scratch directory, a PATH of C:\sys, and the fake Java program's
  // records in records/.
  nttest::ProcessResult runSupervisor(std::vector<std::string> arguments,
                                      std::vector<std::string> environment = {},
                                      int timeoutMs = 60000) const;

  // Gives this process the environment the services are to run with and opens the machine's
  // service control manager from here, which starts it with that environment (the manager
  // passes its own to the service processes).
  SC_HANDLE openManagerForServices() const;
  // Ends the fake Java processes that services started.
  void endJavaChildren() const;

  // The default diagnostic file C:\prod\moxal.dbg, thread prefixes removed.
  std::string traces() const { return tracesOf(prod("moxal.dbg")); }
  std::vector<nt::EventRecord> events() const;
  // Every record the fake Java program wrote, one per process it ran as.
  std::vector<nttest::FakeJavaRecord> javaRecords() const;
  std::string recordsDirectory() const { return scratch().file("records"); }

 private:
  nttest::ScratchDir& scratch() const { return const_cast<SupervisorTest*>(this)->MachineRootTest::scratch(); }
};

// The records of the Application event log of a machine root.
std::vector<nt::EventRecord> readEvents(const std::string& machineRoot);

// The trace text with the lines that contain the fragment, in order.
std::vector<std::string> linesContaining(const std::string& text, const std::string& fragment);
