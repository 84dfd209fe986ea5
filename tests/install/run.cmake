# Installs the build in BUILD_DIR into WORK_DIR/prefix, then configures, builds and runs the
# consumer project in CONSUMER_DIR against it.
function(step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}\n${out}")
  endif()
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
step(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
# Nothing of the source tree may be needed: the consumer sees only the installed one.
set(ENV{PKG_CONFIG_PATH} "")
step(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer -G ${GENERATOR}
     -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Debug)
step(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer -j 2)
foreach(program consumer_package consumer_pkgconfig)
  step(${WORK_DIR}/consumer/${program})
  message(STATUS "${program}: ran against ${prefix}")
endforeach()
