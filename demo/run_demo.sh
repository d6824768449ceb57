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

cat > "$prod/classes/properties" <<'PROPS'
# MOXAL configuration of the demo machine
moxal.services=tarq.admin.arm.agents.AgentObjFactoryImpl tarq.admin.arm.rmi.ManagedObjFactoryImpl tarq.admin.arm.agents.NetClassServerImpl
moxal.setenv.JAVA_HOME=C:/MOXAL/standins/jdk
moxal.port.tarq.admin.arm.agents.AgentObjFactoryImpl=5561
moxal.server.hostname=localhost
PROPS
note "property file C:\\MOXAL\\classes\\properties written"

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

say "Act 1: the diagnostic trace (C:\\MOXAL\\moxal.dbg), the run engine's lines"
grep -E 'runSvc|main: (registerServices|done)' "$prod/moxal.dbg" | sed 's/^/   /'

say "Act 1: the event log (ntevents --source MOXALServer)"
"$bin/ntevents" --source MOXALServer | sed 's/^/   /'
