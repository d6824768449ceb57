#!/usr/bin/env bash
# The main job, end to end on a scratch machine: install the product as built, write its
# property file, and run the MOXAL server's Java processes on the host's real Java VM under
# the supervisor. Prints what happened: the processes, the diagnostic trace and the event log.
# Everything it starts is ended when it finishes or is interrupted.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DEMO:-$top/build/demo}
work=$(mktemp -d "${TMPDIR:-/tmp}/moxal-demo.XXXXXX")
supervisor_pid=

say() { printf '\n\033[1m== %s\033[0m\n' "$*"; }
note() { printf '   %s\n' "$*"; }

cleanup() {
  [ -n "$supervisor_pid" ] && kill -9 "$supervisor_pid" 2>/dev/null || true
  # The control manager ends the services it runs when it is stopped.
  if [ -f "$NT_ROOT/ntscm.pid" ]; then
    kill -TERM "$(cat "$NT_ROOT/ntscm.pid")" 2>/dev/null || true
    for _ in $(seq 50); do [ -f "$NT_ROOT/ntscm.pid" ] || break; sleep 0.2; done
  fi
  # Every process started from the scratch machine (the supervisor's Java VMs among them).
  for pid in $(pgrep -f "$work" 2>/dev/null); do kill -9 "$pid" 2>/dev/null || true; done
  [ -f "$NT_ROOT/ntscm.pid" ] && kill -9 "$(cat "$NT_ROOT/ntscm.pid")" 2>/dev/null || true
  if [ -n "${DEMO_KEEP:-}" ]; then echo "   (scratch machine kept in $work)"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The scratch machine: its own machine root, with drive C: in the scratch directory.
export NT_ROOT=$work/ntroot
mkdir -p "$NT_ROOT/dosdevices" "$work/drive_c"
ln -s "$work/drive_c" "$NT_ROOT/dosdevices/c:"
prod=$work/drive_c/MOXAL
bin=$prod/bin
export PATH=/usr/bin:/bin LANG=C
unset MOXAL_HOME MOXAL_PROPERTIES MOXAL_DIAGFILE JAVA_HOME CLASSPATH LIB QELSYSTEM QELSERVER || true

say "Installing the product into C:\\MOXAL"
cmake --install "$build" --prefix "$prod" >/dev/null
note "programs: $(cd "$bin" && ls moxalsvc qelrun ntreg ntevents | tr '\n' ' ')"
note "Java home C:\\MOXAL\\standins\\jdk: its java.exe runs $(readlink -f "$(command -v java)")"

say "Running the installer (moxal_install, which calls constProp of moxal_setup.dll)"
"$bin/ntreg" add 'HKLM\Software\TARQ\MOXAL\1.0' /v DestDir /t REG_SZ /d 'C:\MOXAL' /f >/dev/null
note "registry: HKLM\\Software\\TARQ\\MOXAL\\1.0 DestDir = C:\\MOXAL"
note "moxal_install --mode 1 --home C:\\MOXAL --java C:\\MOXAL\\standins\\jdk\\bin\\java.exe --host localhost ..."
"$bin/moxal_install" --mode 1 --home 'C:\MOXAL' --java 'C:\MOXAL\standins\jdk\bin\java.exe' \
  --agent-port 5561 --class-port 5562 --event-port 5563 --object-port 5564 --host localhost \
  | sed 's/^/     /'
note "the property file it wrote, C:\\MOXAL\\classes\\properties:"
sed 's/\r$//; s/^/     /' "$prod/classes/properties"
note "the services it created (ntsc query):"
"$bin/ntsc" query | grep -E 'SERVICE_NAME|STATE' | sed 's/^/     /'

logs=$prod/logs
wait_for() {  # wait_for <seconds> <command...>
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    [ $SECONDS -ge $deadline ] && { echo "   timed out waiting for: $*" >&2; return 1; }
    sleep 0.2
  done
}
log_pid() { sed -n 's/.* started, pid \([0-9]*\)$/\1/p' "$logs/$1.log" | tail -1; }
running() { kill -0 "$1" 2>/dev/null; }
terminated_events() { "$bin/ntevents" --raw --source MOXALServer 2>/dev/null | grep -c 'terminated!' || true; }
reported_ends() { [ "$(terminated_events)" -ge "$1" ]; }

say "Act 1: the server standalone (moxalsvc -diaglevel 1 startserver)"
"$bin/moxalsvc" -diaglevel 1 startserver > "$work/supervisor.out" 2>&1 &
supervisor_pid=$!
wait_for 60 test -s "$logs/ManagedObjFactoryImpl.log"
wait_for 60 test -s "$logs/NetClassServerImpl.log"
factory=$(log_pid ManagedObjFactoryImpl)
classserver=$(log_pid NetClassServerImpl)
note "the supervisor (pid $supervisor_pid) runs two Java VMs:"
note "  tarq.admin.arm.rmi.ManagedObjFactoryImpl   pid $factory"
note "  tarq.admin.arm.agents.NetClassServerImpl   pid $classserver"
note "what the managed object factory was given:"
sed 's/^/     /' "$logs/ManagedObjFactoryImpl.log"

note "ending the managed object factory from outside (kill $factory)"
kill "$factory"
wait_for 30 reported_ends 1
running "$supervisor_pid" && note "the end is reported in the event log; the server keeps running"
note "ending the class server (kill $classserver)"
kill "$classserver"
status=0
wait "$supervisor_pid" || status=$?
supervisor_pid=
note "the supervisor returned with exit status $status"

note "the run engine's trace in C:\\MOXAL\\moxal.dbg:"
grep -E 'runSvc: (num start|cmd .* hProcess|somebody|MOXALServer id|set status|done)' "$prod/moxal.dbg" \
  | sed 's/^[0-9A-F]*: //; s/^/     /'
note "the ends as the event log shows them (ntevents --source MOXALServer):"
"$bin/ntevents" --source MOXALServer | grep -B2 'terminated!' | sed 's/^/     /'

say "Act 2: the two NT services under the service control manager"
rm -f "$prod/moxal.dbg" "$logs"/*.log
"$bin/ntreg" add 'HKLM\Software\TARQ\MOXAL\1.0' /v DiagLevel /t REG_DWORD /d 1 /f >/dev/null
note "product key (DiagLevel 1 turns the service's trace lines on):"
"$bin/ntreg" query 'HKLM\Software\TARQ\MOXAL\1.0' | sed 's/^/     /'
note "the server's configuration as the installer created it (ntsc qc MOXALServer):"
"$bin/ntsc" qc MOXALServer | sed 's/^/     /'
note "ntsc start MOXALServer (the agent it depends on starts first, in the same process)"
"$bin/ntsc" start MOXALServer | sed 's/^/     /'
state_of() { "$bin/ntsc" query "$1" | sed -n 's/.*STATE *: [0-9]*  *\([A-Z_]*\).*/\1/p'; }
is_running() { [ "$(state_of "$1")" = RUNNING ]; }
wait_for 60 is_running MOXALServer
wait_for 60 test -s "$logs/NetClassServerImpl.log"
"$bin/ntsc" query MOXALAgent | sed 's/^/     /'
"$bin/ntsc" query MOXALServer | sed 's/^/     /'
note "the Java VMs and the one supervisor process that hosts both services:"
for class in AgentObjFactoryImpl ManagedObjFactoryImpl NetClassServerImpl; do
  pid=$(log_pid "$class")
  note "  $class  pid $pid, parent $(ps -o ppid= -p "$pid" | tr -d ' ') ($(ps -o comm= -p "$(ps -o ppid= -p "$pid")"))"
done
note "ntsc stop MOXALAgent while the server runs: refused by the control manager"
"$bin/ntsc" stop MOXALAgent | sed 's/^/     /' || true
note "ntsc stop MOXALServer"
"$bin/ntsc" stop MOXALServer >/dev/null
wait_for 30 test "$(state_of MOXALServer)" = STOPPED
note "  MOXALServer: $(state_of MOXALServer), MOXALAgent: $(state_of MOXALAgent)"
note "ntsc stop MOXALAgent"
"$bin/ntsc" stop MOXALAgent >/dev/null
wait_for 30 test "$(state_of MOXALAgent)" = STOPPED
note "  MOXALAgent: $(state_of MOXALAgent); $(grep 'ended with exit status' "$NT_ROOT/ntscm.log" | tail -1 | sed 's/^[^ ]* //')"
note "the uninstaller (moxal_uninstall, which calls UninstInitialize of moxal_uninst.dll)"
"$bin/moxal_uninstall" | sed 's/^/     /'
"$bin/ntsc" query MOXALServer | sed 's/^/     /' || true
note "the control handlers' trace in C:\\MOXAL\\moxal.dbg:"
grep -E '(runAgent|runServer): enter|ctrl(Agent|Server): (enter|done|to stop)|stopSvc: (enter|wait)' \
  "$prod/moxal.dbg" | sed 's/^[0-9A-F]*: //; s/^/     /'

say "Act 3: a QEL tool through its command name (qel_import)"
note "QELSYSTEM=demo QELSERVER=dbhost qel_import MyClass.class \"two words\""
tool_status=0
PATH="$prod/standins/jdk/bin:$PATH" CLASSPATH='C:\MOXAL\classes' QELSYSTEM=demo QELSERVER=dbhost \
  "$bin/qel_import" MyClass.class "two words" > "$work/tool.out" || tool_status=$?
sed 's/^/     /' "$work/tool.out"
note "qel_import ended with the tool's exit status $tool_status"
