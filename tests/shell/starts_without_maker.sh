#!/bin/sh
# lorikws where the protocol maker cannot load (a module that needs a missing library, as the real
# one does without LibreOffice): it starts, says why in its log, and ends cleanly on SIGTERM with
# its settings written.
program="$1"
standin="$2"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/sim"
LORIKWS_HOME="$home" LORIK_SIM_DIR="$home/sim" LORIK_PROTOCOL_MAKER="$standin" "$program" debug >"$home/log" 2>&1 &
pid=$!
i=0
# the reason is logged by the deferred start, once the window is up
until grep -q 'libabsent_office_runtime.so' "$home/log"; do
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "lorikws ended during its start:"
        cat "$home/log"
        exit 1
    fi
    i=$((i + 1))
    if [ "$i" -gt 300 ]; then
        echo "lorikws did not reach the protocol maker within 30 s:"
        cat "$home/log"
        kill -9 "$pid"
        exit 1
    fi
    sleep 0.1
done
sleep 0.5
kill -0 "$pid" || { echo "lorikws ended after its start:"; cat "$home/log"; exit 1; }
kill -TERM "$pid"
wait "$pid"
code=$?
if [ "$code" -ne 0 ]; then
    echo "lorikws ended with $code:"
    cat "$home/log"
    exit 1
fi
[ -f "$home/lorikws.ini" ] || { echo "lorikws wrote no settings at its close"; exit 1; }
exit 0
