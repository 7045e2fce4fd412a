#!/usr/bin/env bash
# Builds the team if needed and starts its players and its online coach
# against a server.
#   ./start.sh [-h host] [-p port] [-t team] [-n players] [-o|-P coach_port] [-C]
# The coach connects to coach_port (default: port + 2); -C starts no coach.
# All run in one process group. Ctrl-C (or SIGTERM to the script) stops them
# all: each player says "(bye)" and leaves in order. Each also exits by itself
# when the server goes away.
set -euo pipefail
cd "$(dirname "$0")"
host=localhost port=6000 team="" players=11 coach_port="" coach=yes
usage="usage: $0 [-h host] [-p port] [-t team] [-n players] [-o|-P coach_port] [-C]"
while getopts "h:p:t:n:o:P:C" opt; do
    case $opt in
    h) host=$OPTARG ;;
    p) port=$OPTARG ;;
    t) team=$OPTARG ;;
    n) players=$OPTARG ;;
    o | P) coach_port=$OPTARG ;;
    C) coach=no ;;
    *) echo "$usage" >&2; exit 2 ;;
    esac
done
# TEAM2D_BIN_DIR and TEAM2D_RUN_DIR name other program and run directories.
bin=${TEAM2D_BIN_DIR:-$PWD/build}
if [ ! -x "$bin/player" ] || [ ! -x "$bin/goalie" ] || [ ! -x "$bin/coach" ]; then
    cmake -S . -B "$bin" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTEAM2D_TESTS=OFF >/dev/null
    cmake --build "$bin"
fi
# Players write their log and error files into run/.
run=${TEAM2D_RUN_DIR:-$PWD/run}
mkdir -p "$run"
rm -f "$run/data"
{
    echo "server $host"
    echo "port $port"
    if [ -n "$team" ]; then echo "team_name $team"; fi
} > "$run/command-line.conf"
cp data/agent.conf "$run/agent.conf"
# The coach advises the players' team: the team option, else the shipped name.
coach_team=${team:-$(awk '$1 == "team_name" { print $2 }' data/agent.conf)}
{
    echo "server $host"
    echo "port ${coach_port:-$((port + 2))}"
    echo "team_name $coach_team"
    # The coach plays by the same server's parameters as the players.
    sed -n '/^# Server parameters/,$p' data/agent.conf
} > "$run/coach.conf"
cp data/wd-formation.rf "$run/formation.rf"
ln -s "$PWD/data" "$run/data"
player=$bin/player
goalie=$bin/goalie
coach_program=$bin/coach
cd "$run"
# On Ctrl-C or SIGTERM every program gets SIGTERM; the players' kill handlers
# end them in order. The coach has no handler: its end by that signal is no failure.
stopped=no
stop() {
    trap - INT TERM
    stopped=yes
    kill "${pids[@]}" 2>/dev/null || true
}
trap stop INT TERM
pids=()
coach_pid=
for ((i = 0; i < players; i++)); do
    [ "$stopped" = no ] || break
    program=$player
    [ "$i" -eq 0 ] && program=$goalie   # the first to connect keeps the goal
    "$program" -kill_handler -file agent.conf -file command-line.conf &
    pids+=($!)
    sleep 0.2
done
if [ "$coach" = yes ] && [ "$stopped" = no ]; then
    "$coach_program" &
    coach_pid=$!
    pids+=($coach_pid)
fi
status=0
for pid in "${pids[@]}"; do
    # A signal that runs the trap ends a wait early: wait again while the program runs.
    while :; do
        code=0
        wait "$pid" || code=$?
        if [ "$code" -gt 128 ] && kill -0 "$pid" 2>/dev/null; then continue; fi
        break
    done
    if [ "$code" -ne 0 ] && ! { [ "$stopped" = yes ] && [ "$pid" = "$coach_pid" ]; }; then status=1; fi
done
exit $status
