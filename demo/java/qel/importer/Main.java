// The demo's stand-in for the QEL importer tool: prints what it was given and ends.
package qel.importer;

public final class Main {
  private Main() {}

  public static void main(String[] args) {
    System.out.println("qel.importer.Main called with " + args.length + " arguments:");
    for (String arg : args) {
      System.out.println("  " + arg);
    }
  }
}
