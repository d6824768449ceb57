// The demo's stand-in for the platform's AgentObjFactoryImpl service process.
package tarq.admin.arm.agents;

import tarq.demo.ServiceProcess;

public final class AgentObjFactoryImpl {
  private AgentObjFactoryImpl() {}

  public static void main(String[] args) throws Exception {
    ServiceProcess.run("AgentObjFactoryImpl", args);
  }
}
