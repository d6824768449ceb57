// The stand-in JDK's java.exe and jre.exe: the Java programs of the system are started with
// Windows-form arguments (class path lists with ';', paths with drive letters and
// backslashes, JDK 1.x options). This program turns them into what the host's Java VM takes
// and runs it in its place, with the same process id, so that waits and terminations reach
// the real VM.
//
//   -classpath / -cp LIST   each ';'-separated Windows path becomes a host path, joined by ':'
//   -Dname=VALUE            a VALUE that is a Windows path (drive letter or backslash) becomes
//                           a host path
//   -msN, -mxN, -ssN, -ossN the JDK 1.x heap and stack options become -XmsN, -XmxN, -XssN
//   CLASSPATH               converted like -classpath
// The host's java is NT_HOST_JAVA, else the one found when this program was built.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/src/paths.h"
#include "platform/src/text_split.h"

namespace {

bool isWindowsPath(const std::string& value) {
  const bool drive = value.size() >= 2 && value[1] == ':' && std::isalpha(static_cast<unsigned char>(value[0]));
  return drive || value.find('\\') != std::string::npos;
}

std::string hostPath(const std::string& windowsPath) {
  nt::HostPath path;
  if (!nt::hostPathFor(windowsPath.c_str(), nt::PathUse::Create, path)) return windowsPath;
  return path.path;
}

std::string hostClassPath(const std::string& list) {
  std::string result;
  for (const std::string& entry : nt::splitNonEmpty(list, ';')) {
    if (!result.empty()) result += ':';
    result += hostPath(entry);
  }
  return result;
}

std::string hostOption(const std::string& option) {
  for (const char* old : {"-ms", "-mx", "-ss"}) {
    if (option.rfind(old, 0) == 0 && option.size() > 3 && std::isdigit(static_cast<unsigned char>(option[3]))) {
      return "-X" + option.substr(1);
    }
  }
  if (option.rfind("-oss", 0) == 0) return "-Xss" + option.substr(4);
  if (option.rfind("-D", 0) == 0) {
    const size_t equals = option.find('=');
    if (equals != std::string::npos && isWindowsPath(option.substr(equals + 1))) {
      return option.substr(0, equals + 1) + hostPath(option.substr(equals + 1));
    }
  }
  return option;
}

// Options come before the class name; what follows it belongs to the Java program.
std::vector<std::string> hostArguments(int argc, char** argv, const char* hostJava) {
  std::vector<std::string> arguments{hostJava};
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const std::string option = argv[i];
    if ((option == "-classpath" || option == "-cp") && i + 1 < argc) {
      arguments.push_back("-classpath");
      arguments.push_back(hostClassPath(argv[++i]));
    } else {
      arguments.push_back(hostOption(option));
    }
  }
  for (; i < argc; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

}  // namespace

int main(int argc, char** argv) {
  const char* configured = std::getenv("NT_HOST_JAVA");
  const char* hostJava = configured && *configured ? configured : HOST_JAVA;
  if (const char* classPath = std::getenv("CLASSPATH")) {
    ::setenv("CLASSPATH", hostClassPath(classPath).c_str(), 1);
  }
  std::vector<std::string> arguments = hostArguments(argc, argv, hostJava);
  std::vector<char*> pointers;
  for (std::string& a : arguments) pointers.push_back(a.data());
  pointers.push_back(nullptr);
  ::execv(hostJava, pointers.data());
  std::fprintf(stderr, "java: cannot run the host's Java VM %s: %s\n", hostJava, std::strerror(errno));
  return 1;
}
