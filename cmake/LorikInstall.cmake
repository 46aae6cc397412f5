# Install folders. An installation keeps the executables in bin, the libraries the program loads by
# file name in a private folder lib/<multiarch>/lorikws and its data (templates, scenarios,
# language files) in share/lorikws. The program finds both relative to its own executable
# (platform::CurrentLayout()), so no RPATH or LD_LIBRARY_PATH is involved and the build tree, which
# keeps everything in one folder, works as it always did.
include(GNUInstallDirs)
if(CMAKE_LIBRARY_ARCHITECTURE)
    set(LORIK_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/lorikws)
else()
    set(LORIK_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/lorikws)
endif()
set(LORIK_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/lorikws)
set(LORIK_UDEV_RULES_DIR /lib/udev/rules.d CACHE PATH "Where the udev rule for the USB serial adapters goes")
file(RELATIVE_PATH LORIK_LIBDIR_FROM_BIN /p/${CMAKE_INSTALL_BINDIR} /p/${LORIK_INSTALL_LIBDIR})
file(RELATIVE_PATH LORIK_DATADIR_FROM_BIN /p/${CMAKE_INSTALL_BINDIR} /p/${LORIK_INSTALL_DATADIR})

# lorik_install_loadable(TARGET...): a library the program loads by file name, into the private
# folder, without the executable bit a shared object does not need.
function(lorik_install_loadable)
    install(TARGETS ${ARGN} LIBRARY DESTINATION ${LORIK_INSTALL_LIBDIR}
            PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()

# The package's version: the project's, with a patch number always (2.3 → 2.3.0).
set(LORIK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0)
if(PROJECT_VERSION_PATCH)
    set(LORIK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
endif()

# The desktop entry, icon and AppStream component are named by the application's id.
set(LORIK_APP_ID org.example.lorikws)
set(LORIK_MAINTAINER "ЛОРИК workstation developers <lorikws@example.org>")
