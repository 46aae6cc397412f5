# Compiler settings shared by every target of the project.
add_library(lorik_options INTERFACE)
target_compile_options(lorik_options INTERFACE
    -Wall -Wextra
    -Werror=return-type -Werror=init-self -Werror=uninitialized -Werror=switch)
if(LORIK_WERROR)
    target_compile_options(lorik_options INTERFACE -Werror)
endif()
# Qt: no keywords, and no silent conversions between 8-bit and Unicode text:
# the link and the files carry Windows-1251, so every conversion is spelled out.
target_compile_definitions(lorik_options INTERFACE
    QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING QT_USE_QSTRINGBUILDER)
if(LORIK_SANITIZE)
    target_compile_options(lorik_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                           -fno-sanitize-recover=undefined)
    target_link_options(lorik_options INTERFACE -fsanitize=address,undefined)
endif()
# A fuzzing build (clang): every library is instrumented for coverage and checked by the sanitizers,
# so the fuzzers see and check the code they drive, not only their own few lines.
if(LORIK_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "LORIK_FUZZ needs clang: -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang")
    endif()
    target_compile_options(lorik_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    target_link_options(lorik_options INTERFACE -fsanitize=address,undefined)
endif()

# lorik_library(NAME SOURCES ... LIBS ...): one static library per subsystem folder.
function(lorik_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC lorik_options ${ARG_LIBS})
endfunction()
