// The demo's stand-in for the platform's NetClassServerImpl service process.
package tarq.admin.arm.agents;

import tarq.demo.ServiceProcess;

public final class NetClassServerImpl {
  private NetClassServerImpl() {}

  public static void main(String[] args) throws Exception {
    ServiceProcess.run("NetClassServerImpl", args);
  }
}
