# Project-wide compile options, attached to every project target through ostrevane_options.
add_library(ostrevane_options INTERFACE)
add_library(ostrevane::options ALIAS ostrevane_options)
target_compile_options(ostrevane_options INTERFACE
  -Wall -Wextra -Wpedantic
  # Floating point is part of the output: no fused multiply-add, no reassociation.
  -ffp-contract=off)
if(OSTREVANE_SANITIZE)
  target_compile_options(ostrevane_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(ostrevane_options INTERFACE -fsanitize=address,undefined)
endif()
if(OSTREVANE_BUILD_FUZZERS)
  # Coverage feedback for libFuzzer in every project target; the fuzz targets link the fuzzer.
  target_compile_options(ostrevane_options INTERFACE -fsanitize=fuzzer-no-link)
  target_link_options(ostrevane_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# Adds a library target of the project with its alias ostrevane::NAME.
function(ostrevane_library name)
  cmake_parse_arguments(arg "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT arg_SOURCES)
    return()  # a subsystem whose sources are not written yet
  endif()
  add_library(ostrevane_${name} STATIC ${arg_SOURCES})
  add_library(ostrevane::${name} ALIAS ostrevane_${name})
  target_include_directories(ostrevane_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(ostrevane_${name} PUBLIC ostrevane::options ${arg_DEPS})
endfunction()
