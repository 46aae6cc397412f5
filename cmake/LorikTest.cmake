# lorik_test(NAME SOURCES ... LIBS ... [GUI]): one test executable per subsystem, run by CTest.
# GUI tests get a QApplication on the offscreen platform; the others a QCoreApplication.
#
# Offices that tests start keep their profiles under office-profiles/ of the build folder; the
# last test of a run (office_leftovers) fails when an office with such a profile still runs. No
# test hands a file to the desktop (LORIK_DESKTOP_OFF), which would start the user's own office.
set(LORIK_TEST_OFFICE_PROFILES ${CMAKE_BINARY_DIR}/office-profiles)
function(lorik_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS;ENV" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE lorik_test_main_gui)
    else()
        target_link_libraries(${name} PRIVATE lorik_test_main_core)
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock lorik_options)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(${name} PRIVATE LORIK_BIN_DIR="${LORIK_BIN_DIR}"
                               LORIK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    lorik_test_properties(${name} "${ARG_ENV}")
endfunction()

# The properties every test run by CTest gets (also for extra runs of a test executable).
function(lorik_test_properties test env)
    set_tests_properties(${test} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LORIK_OFFICE_PROFILE=${LORIK_TEST_OFFICE_PROFILES};LORIK_DESKTOP_OFF=1;${env}"
        FIXTURES_REQUIRED lorik_offices
        TIMEOUT 600)
endfunction()
