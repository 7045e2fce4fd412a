#!/usr/bin/env bash
# Builds the team if needed and starts its players and its online coach
# against a server.
#   ./start.sh [-h host] [-p port] [-t team] [-n players] [-o coach_port] [-C]
# The coach connects to coach_port (default: port + 2); -C starts no coach.
# All run in one process group; Ctrl-C stops them all, and each exits by
# itself when the server goes away.
set -euo pipefail
cd "$(dirname "$0")"
host=localhost port=6000 team="" players=11 coach_port="" coach=yes
usage="usage: $0 [-h host] [-p port] [-t team] [-n players] [-o coach_port] [-C]"
while getopts "h:p:t:n:o:C" opt; do
    case $opt in
    h) host=$OPTARG ;;
    p) port=$OPTARG ;;
    t) team=$OPTARG ;;
    n) players=$OPTARG ;;
    o) coach_port=$OPTARG ;;
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
} > "$run/coach.conf"
cp data/wd-formation.rf "$run/formation.rf"
ln -s "$PWD/data" "$run/data"
player=$bin/player
goalie=$bin/goalie
coach_program=$bin/coach
cd "$run"
trap 'kill 0 2>/dev/null' INT TERM
pids=()
for ((i = 0; i < players; i++)); do
    program=$player
    [ "$i" -eq 0 ] && program=$goalie   # the first to connect keeps the goal
    "$program" -file agent.conf -file command-line.conf &
    pids+=($!)
    sleep 0.2
done
if [ "$coach" = yes ]; then
    "$coach_program" &
    pids+=($!)
fi
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
exit $status
