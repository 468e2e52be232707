# Instrumented builds, each in a build folder of its own (scripts/sanitize.sh, scripts/fuzz.sh).
#
# VELMORA_SANITIZE: everything, the tests included, with AddressSanitizer and UBSan; the first
# report ends the process, so a test that trips one fails.
# VELMORA_FUZZ: the libraries instrumented for libFuzzer (clang only) and the fuzz targets of
# fuzz/ built against them.
option(VELMORA_SANITIZE "Build with AddressSanitizer and UBSan, halting on the first report" OFF)
option(VELMORA_FUZZ "Build the libFuzzer targets (clang)" OFF)

set(VELMORA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
if(VELMORA_SANITIZE)
    add_compile_options(${VELMORA_SANITIZER_FLAGS})
    add_link_options(${VELMORA_SANITIZER_FLAGS})
endif()
if(VELMORA_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "VELMORA_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link ${VELMORA_SANITIZER_FLAGS})
    add_link_options(${VELMORA_SANITIZER_FLAGS})
endif()
