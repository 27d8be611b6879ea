# Sanitized builds of everything of ours (libraries, programs, tools, tests).
#
# VENDARO_SANITIZE=ON builds with AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer; the first report ends the process with a failure.
# Qt, WebEngine and the system libraries are not rebuilt: what they report is
# filtered by the suppression files in tests/sanitizers and, for the tests
# that open pages, by the WEBENGINE options of vendaro_sanitizer_env below.
#
# VENDARO_FUZZ=ON (clang) instruments everything of ours for libFuzzer as well
# and builds the harnesses of fuzz/ (scripts/fuzz-smoke builds and runs them).

option(VENDARO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VENDARO_FUZZ "Build the libFuzzer harnesses (clang), with AddressSanitizer and UBSan" OFF)

set(VENDARO_SANITIZER_DIR ${PROJECT_SOURCE_DIR}/tests/sanitizers)
set(VENDARO_SANITIZER_FLAGS "")
set(VENDARO_ASAN_OPTIONS "")
set(VENDARO_LSAN_OPTIONS "")
set(VENDARO_UBSAN_OPTIONS "")

if(VENDARO_SANITIZE)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    message(FATAL_ERROR "VENDARO_SANITIZE needs g++ or clang++")
  endif()
  # g++ leaves float-cast-overflow out of "undefined"; a double out of an
  # integer's range (dates, money) is undefined behaviour all the same.
  list(APPEND VENDARO_SANITIZER_FLAGS
    -fsanitize=address,undefined,float-cast-overflow
    -fno-sanitize-recover=undefined,float-cast-overflow
    -fno-omit-frame-pointer)
  list(APPEND VENDARO_ASAN_OPTIONS
    detect_leaks=1
    halt_on_error=1
    detect_stack_use_after_return=1
    check_initialization_order=1
    strict_init_order=1
    suppressions=${VENDARO_SANITIZER_DIR}/asan.supp)
  list(APPEND VENDARO_LSAN_OPTIONS
    suppressions=${VENDARO_SANITIZER_DIR}/lsan.supp
    print_suppressions=0)
  list(APPEND VENDARO_UBSAN_OPTIONS
    print_stacktrace=1
    halt_on_error=1
    suppressions=${VENDARO_SANITIZER_DIR}/ubsan.supp)
endif()

if(VENDARO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VENDARO_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  list(APPEND VENDARO_SANITIZER_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)
endif()

add_compile_options(${VENDARO_SANITIZER_FLAGS})
add_link_options(${VENDARO_SANITIZER_FLAGS})

# vendaro_sanitizer_env(<out-var> [WEBENGINE])
# The sanitizers' runtime options as NAME=value entries for a test's
# environment; empty when no sanitizer is on.
#
# WEBENGINE: the process runs Chromium's browser side, which frees pages
# through a base type of another size and leaks at exit. ASan cannot tell its
# delete-size faults from ours, so that check is off there (-Wall's
# -Wdelete-non-virtual-dtor still finds ours at compile time); its leaks are
# suppressed by module, matched on the allocating frame only, since Chromium
# calls our code back and a deeper match would hide our leaks too.
function(vendaro_sanitizer_env out)
  cmake_parse_arguments(S "WEBENGINE" "" "" ${ARGN})
  if(NOT VENDARO_SANITIZE)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  set(asan ${VENDARO_ASAN_OPTIONS})
  set(lsan ${VENDARO_LSAN_OPTIONS})
  if(S_WEBENGINE)
    list(APPEND asan new_delete_type_mismatch=0 malloc_context_size=2)
    list(TRANSFORM lsan REPLACE "lsan\\.supp$" "lsan-webengine.supp")
  endif()
  list(JOIN asan ":" asan)
  list(JOIN lsan ":" lsan)
  list(JOIN VENDARO_UBSAN_OPTIONS ":" ubsan)
  set(${out} "ASAN_OPTIONS=${asan}" "LSAN_OPTIONS=${lsan}" "UBSAN_OPTIONS=${ubsan}" PARENT_SCOPE)
endfunction()
