# The Debian package: cmake --build build --target package makes build/lorikws_<version>_<arch>.deb
# from the install rules. Dependencies come from dpkg-shlibdeps; LibreOffice Calc is recommended
# only: the program runs without it and says so when a protocol is asked for.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lorikws)
set(CPACK_PACKAGE_VERSION ${LORIK_PACKAGE_VERSION})
set(CPACK_PACKAGE_CONTACT "${LORIK_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "workstation for the LORIK portable signal calibrator")
# the extended description, below the summary line (CPack indents it and marks the blank line)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
АРМ ЛОРИК lets a metrology technician drive the ЛОРИК portable multifunction
signal calibrator from a PC over its USB serial port: measure and log readings
with a chart and statistics, emulate thermocouple, resistance thermometer and
unified current or voltage signals, verify and calibrate pressure sensors,
temperature sensors and secondary instruments point by point with the error,
the verdict and the uncertainty of every point, and fill the verification
protocol from a spreadsheet template in LibreOffice Calc.

The package also holds lorik-sim, a virtual calibrator on a pseudo-terminal
for trying the program without hardware, and lorikctl, a command-line client.
A udev rule gives the logged-in desktop user access to the calibrator's USB
serial adapter.]=])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_VERSION ${LORIK_PACKAGE_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE "")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LORIK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-calc")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
