# Shared build settings and the helpers every component uses:
#   zuv_library(<name> SOURCES ... [DEPS ...] [PRIVATE_DEPS ...])  -> target zuv_<name>, alias zuv::<name>
#   zuv_gtest(<name> SOURCES ... DEPS ... [INCLUDES ...] [ARGS ...])  -> GoogleTest binary run by ctest
#   zuv_fuzz(<name> SOURCES ... DEPS ... [INCLUDES ...] CORPUS <dir>)  -> replay test, and a libFuzzer
#                                                                      binary when ZUV_FUZZ is on
#   zuv_bench(<name> SOURCES ... DEPS ... [INCLUDES ...])            -> benchmark program, built only
#                                                                      on request (--target <name>)
# INCLUDES are extra private include folders (a component's src/ for tests of its internals).
# Without ZUV_TESTS the test helpers define nothing, and without ZUV_BENCH zuv_bench does not.

add_library(zuv_warnings INTERFACE)
target_compile_options(zuv_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
  # Python's API macros cast C-style, and they expand in our code: targets that use them set
  # ZUV_PYTHON_API.
  $<$<NOT:$<BOOL:$<TARGET_PROPERTY:ZUV_PYTHON_API>>>:-Wold-style-cast>
  -Wno-missing-field-initializers -Wunused -Woverloaded-virtual -Wnull-dereference -Wdouble-promotion -Wimplicit-fallthrough
  # g++ 12 reports uninitialised reads inside std::variant and std::optional that cannot happen.
  $<$<CXX_COMPILER_ID:GNU>:-Wno-maybe-uninitialized>
  $<$<BOOL:${ZUV_WERROR}>:-Werror>)

if(ZUV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(ZUV_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZUV_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

set(ZUV_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)

function(zuv_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(zuv_${name} STATIC ${A_SOURCES})
  add_library(zuv::${name} ALIAS zuv_${name})
  target_include_directories(zuv_${name}
    PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
    PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
  target_link_libraries(zuv_${name} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS} zuv_warnings)
endfunction()

function(zuv_gtest name)
  if(NOT ZUV_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;INCLUDES;ARGS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gtest_main zuv_warnings)
  target_include_directories(${name} PRIVATE ${ZUV_ROOT}/testing ${A_INCLUDES})
  add_test(NAME ${name} COMMAND ${name} ${A_ARGS})
endfunction()

function(zuv_fuzz name)
  if(NOT ZUV_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "" "CORPUS" "SOURCES;DEPS;INCLUDES" ${ARGN})
  add_executable(${name}_replay ${A_SOURCES} ${ZUV_ROOT}/testing/fuzz_replay.cpp)
  target_link_libraries(${name}_replay PRIVATE ${A_DEPS} zuv_warnings)
  target_include_directories(${name}_replay PRIVATE ${ZUV_ROOT}/testing ${A_INCLUDES})
  add_test(NAME ${name}_replay COMMAND ${name}_replay ${A_CORPUS})
  if(ZUV_FUZZ)
    add_executable(${name} ${A_SOURCES})
    target_link_libraries(${name} PRIVATE ${A_DEPS})
    target_include_directories(${name} PRIVATE ${ZUV_ROOT}/testing ${A_INCLUDES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  endif()
endfunction()

function(zuv_bench name)
  if(NOT ZUV_BENCH)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;INCLUDES" ${ARGN})
  add_executable(${name} EXCLUDE_FROM_ALL ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS} zuv_warnings)
  target_include_directories(${name} PRIVATE ${ZUV_ROOT}/testing ${A_INCLUDES})
endfunction()
