// The demo's stand-in for the platform's ManagedObjFactoryImpl service process.
package tarq.admin.arm.rmi;

import tarq.demo.ServiceProcess;

public final class ManagedObjFactoryImpl {
  private ManagedObjFactoryImpl() {}

  public static void main(String[] args) throws Exception {
    ServiceProcess.run("ManagedObjFactoryImpl", args);
  }
}
