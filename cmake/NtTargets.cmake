# Helpers that declare the system's programs, libraries and test suites in one way.

# A program of the system: it runs on the platform layer and receives its argument 0 in
# Windows form, as every Windows program does.
function(nt_add_program name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE ntplatform ntprogram)
endfunction()

# A shared library of the system (a DLL on Windows), loaded by name through LoadLibraryA.
function(nt_add_library name)
  add_library(${name} SHARED ${ARGN})
  target_link_libraries(${name} PRIVATE ntplatform)
endfunction()

# Compiles a resource script into a source file whose data the module exports, so that
# LoadStringA and the dialog functions find it through the module handle. A program exports
# only that one symbol (ntResourceDirectory), which the linker leaves out of a program's
# dynamic symbols unless asked. The headers and scripts beside the script count as its
# inputs, since it may include them.
function(nt_add_resources target script)
  get_filename_component(base ${script} NAME_WE)
  get_filename_component(directory ${CMAKE_CURRENT_SOURCE_DIR}/${script} DIRECTORY)
  file(GLOB inputs CONFIGURE_DEPENDS ${directory}/*.h ${directory}/*.rc)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_${base}_res.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ntrc ${CMAKE_CURRENT_SOURCE_DIR}/${script} ${out}
    DEPENDS ntrc ${CMAKE_CURRENT_SOURCE_DIR}/${script} ${inputs}
    COMMENT "Compiling resources ${script}")
  target_sources(${target} PRIVATE ${out})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_link_options(${target} PRIVATE "LINKER:--export-dynamic-symbol=ntResourceDirectory")
  endif()
endfunction()

# One suite per tests/<name>_test.cpp of the calling folder, named <prefix>_<name>_test, linked
# with the LIBRARIES and built after the DEPENDS (the programs the suites run).
function(nt_add_test_suites prefix)
  if(NOT NT_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(SUITES "" "" "LIBRARIES;DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_test.cpp)
  foreach(source ${sources})
    get_filename_component(suite ${source} NAME_WE)
    nt_add_test(${prefix}_${suite} ${source})
    if(SUITES_LIBRARIES)
      target_link_libraries(${prefix}_${suite} PRIVATE ${SUITES_LIBRARIES})
    endif()
    if(SUITES_DEPENDS)
      add_dependencies(${prefix}_${suite} ${SUITES_DEPENDS})
    endif()
  endforeach()
endfunction()

# A GoogleTest suite, run by CTest one test at a time.
function(nt_add_test name)
  if(NOT NT_BUILD_TESTS)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE nttestsupport ntplatform GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 120 ENVIRONMENT "NT_BUILD_BIN=${CMAKE_BINARY_DIR}/bin")
endfunction()
