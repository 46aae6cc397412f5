#!/bin/sh
# The program links no LibreOffice library: a NEEDED libuno_* would stop it from starting where
# LibreOffice is not installed. The protocol maker module does link them (which shows that the
# check sees them where they are).
program="$1"
module="$2"
if ldd "$program" | grep -E 'libuno_|/libreoffice/'; then
    echo "$program needs LibreOffice libraries"
    exit 1
fi
if readelf -d "$program" | grep NEEDED | grep -E 'uno|reglo|storelo'; then
    echo "$program names LibreOffice libraries"
    exit 1
fi
if ! ldd "$module" | grep -q 'libuno_cppu'; then
    echo "no LibreOffice library seen in $module either: the check is blind"
    exit 1
fi
exit 0
