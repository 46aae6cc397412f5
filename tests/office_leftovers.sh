#!/bin/sh
# The last test of a run: no office that a test of this build started (its profile lies under the
# folder given) may still run. Offices found are reported, then ended by their process id.
root="$1"
found() {
    for f in /proc/[0-9]*/cmdline; do
        pid=${f#/proc/}
        pid=${pid%/cmdline}
        args=$(tr '\0' ' ' <"$f" 2>/dev/null) || continue
        case "$args" in
        *soffice*"-env:UserInstallation=file://$root/"*) echo "$pid $args" ;;
        esac
    done
}
left=$(found)
[ -z "$left" ] && exit 0
sleep 3 # an office whose program has just ended gets its SIGTERM within a moment
left=$(found)
[ -z "$left" ] && exit 0
echo "offices left behind by the tests:"
echo "$left"
echo "$left" | while read -r pid rest; do kill -9 "$pid" 2>/dev/null; done
exit 1
