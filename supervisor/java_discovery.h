// Discovery of the Java home and of the Java program in it (java.exe or jre.exe), and the
// built-in variables PATHSEP, JAVAPROG and JAVACMD.
#pragma once

#include <optional>
#include <string>

// The Java home: the EnvTable's, then the inherited JAVA_HOME when it holds bin\java.exe or
// bin\jre.exe; else the parent of the first PATH directory (the EnvTable's, then the
// inherited) holding java.exe or jre.exe; else none. Sets javaProgram when found.
std::optional<std::string> findJavaHome();

// "java.exe" or "jre.exe" after a successful discovery; none before the first one.
const std::optional<std::string>& javaProgram();

// PATHSEP: one backslash; JAVAPROG and JAVACMD: the Java program, discovered anew at every
// look-up; any other name: none.
std::optional<std::string> getPrivateEnv(const char* name);

// Forgets the discovered program (tests).
void resetJavaProgram();
