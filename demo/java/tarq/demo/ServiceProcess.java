// The demo's stand-in for the management platform's Java service processes: each logs what it
// was given (arguments, the property file, its environment) and then runs until it is stopped.
package tarq.demo;

import java.io.FileInputStream;
import java.io.FileWriter;
import java.io.IOException;
import java.io.PrintWriter;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.time.Instant;
import java.util.Properties;

public final class ServiceProcess {
  private ServiceProcess() {}

  private static final String[] SHOWN_VARIABLES = {
    "MOXAL_HOME", "MOXAL_PROPERTIES", "JAVA_HOME", "CLASSPATH", "LIB", "PATH"
  };

  /** Logs the start of the named service class and waits until the process is ended. */
  public static void run(String className, String[] args) throws IOException, InterruptedException {
    String propertyFile = System.getProperty("MOXAL_PROPERTIES", "");
    Path logDirectory = logDirectory(propertyFile);
    Files.createDirectories(logDirectory);
    Path log = logDirectory.resolve(className + ".log");
    try (PrintWriter out = new PrintWriter(new FileWriter(log.toFile(), true))) {
      out.println(Instant.now() + " " + className + " started, pid " + ProcessHandle.current().pid());
      out.println("  arguments: " + String.join(" ", args));
      out.println("  property file: " + propertyFile);
      Properties properties = load(propertyFile);
      out.println("  moxal.services = " + properties.getProperty("moxal.services", "(none)"));
      for (String name : SHOWN_VARIABLES) {
        out.println("  " + name + " = " + System.getenv().getOrDefault(name, "(unset)"));
      }
    }
    while (true) {
      Thread.sleep(60_000);
    }
  }

  private static Path logDirectory(String propertyFile) {
    Path classes = propertyFile.isEmpty() ? Paths.get(".") : Paths.get(propertyFile).getParent();
    return classes.resolveSibling("logs");
  }

  private static Properties load(String propertyFile) {
    Properties properties = new Properties();
    if (propertyFile.isEmpty()) return properties;
    try (FileInputStream in = new FileInputStream(propertyFile)) {
      properties.load(in);
    } catch (IOException e) {
      properties.setProperty("moxal.services", "(unreadable: " + e.getMessage() + ")");
    }
    return properties;
  }
}
