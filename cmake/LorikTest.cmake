# lorik_test(NAME SOURCES ... LIBS ... [GUI]): one test executable per subsystem, run by CTest.
# GUI tests get a QApplication on the offscreen platform; the others a QCoreApplication.
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
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${ARG_ENV}"
                         TIMEOUT 600)
endfunction()
