include(GNUInstallDirs)

set(SPROUT_WARNINGS -Wall -Wextra -Werror
    # g++ 12's flow-based warnings misfire inside libstdc++ once inlined at -O2 (string and
    # vector copies, std::optional); debug and sanitizer builds keep them as errors, except the
    # ThreadSanitizer build, which optimises at -O1.
    $<$<AND:$<CXX_COMPILER_ID:GNU>,$<OR:$<NOT:$<CONFIG:Debug>>,$<BOOL:${SPROUT_TSAN}>>>:-Wno-restrict -Wno-stringop-overflow
    -Wno-array-bounds -Wno-maybe-uninitialized>)

# sprout_layer(<target> <folder> [deps...]): a static library of every .cpp under <folder>.
function(sprout_layer target folder)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    # A layer still to come: an empty interface library keeps the dependency chain whole.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${SPROUT_INCLUDE_DIRS})
    target_link_libraries(${target} INTERFACE ${ARGN})
    return()
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${SPROUT_INCLUDE_DIRS})
  target_link_libraries(${target} PUBLIC ${ARGN})
  target_compile_options(${target} PRIVATE ${SPROUT_WARNINGS})
  # Installed as libsprout_<layer>.a, imported as Sprout::<layer>.
  set_target_properties(${target} PROPERTIES OUTPUT_NAME sprout_${target} EXPORT_NAME ${target})
endfunction()

# Headers are included by their path from the source root ("platform/net/URL.h"); installed, the
# same paths sit under include/sprout.
set(SPROUT_INCLUDE_DIRS $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/sprout>)

# sprout_tests(<binary> <folder> <library>): one GoogleTest binary per layer, registered with ctest.
function(sprout_tests binary folder library)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${binary} ${sources})
  target_link_libraries(${binary} PRIVATE ${library} test_support)
  target_include_directories(${binary} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${binary} PRIVATE ${SPROUT_WARNINGS})
  target_compile_definitions(${binary} PRIVATE SPROUT_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${binary} COMMAND ${binary})
  set_tests_properties(${binary} PROPERTIES TIMEOUT 900)
endfunction()

# tests/support: the test main and fixtures every suite may use (the loopback HTTP server, for one),
# compiled once.
function(sprout_test_support)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/support/*.cpp)
  add_library(test_support STATIC ${sources})
  target_link_libraries(test_support PUBLIC platform GTest::gtest GTest::gmock PkgConfig::HTTPLIB
                        OpenSSL::SSL)
  target_include_directories(test_support PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(test_support PRIVATE ${SPROUT_WARNINGS})
endfunction()
