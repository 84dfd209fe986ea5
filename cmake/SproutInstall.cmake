# `cmake --install`: the layers' static libraries, their public headers under include/sprout, an
# exported CMake package (find_package(Sprout) → Sprout::platform, Sprout::images, ...) and a
# pkg-config file (sprout.pc).
include(CMakePackageConfigHelpers)

set(SPROUT_LAYERS platform images ui_support ui_components app)
set(SPROUT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Sprout)

install(TARGETS ${SPROUT_LAYERS} EXPORT SproutTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
foreach(folder platform images ui app)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder}/
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/sprout/${folder} FILES_MATCHING PATTERN "*.h")
endforeach()
install(EXPORT SproutTargets NAMESPACE Sprout:: DESTINATION ${SPROUT_CMAKE_DIR})

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/SproutConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/SproutConfig.cmake
                              INSTALL_DESTINATION ${SPROUT_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/SproutConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/SproutConfig.cmake ${PROJECT_BINARY_DIR}/SproutConfigVersion.cmake
        DESTINATION ${SPROUT_CMAKE_DIR})

# pkg-config: the archives in link order (a layer before the layers it uses); the prefix is
# found from the file's own place, so the tree may be installed or moved anywhere.
set(SPROUT_PC_LIBS "")
foreach(layer IN LISTS SPROUT_LAYERS)
  get_target_property(type ${layer} TYPE)
  if(type STREQUAL "STATIC_LIBRARY")
    set(SPROUT_PC_LIBS "-lsprout_${layer} ${SPROUT_PC_LIBS}")
  endif()
endforeach()
set(SPROUT_PC_EXTRA "")
if(SPROUT_SANITIZE)
  set(SPROUT_PC_EXTRA "-fsanitize=address,undefined")
endif()
file(RELATIVE_PATH SPROUT_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" SPROUT_PC_TO_PREFIX "${SPROUT_PC_TO_PREFIX}")
list(JOIN SPROUT_PKG_MODULES " " SPROUT_PC_REQUIRES)
configure_file(${PROJECT_SOURCE_DIR}/cmake/sprout.pc.in ${PROJECT_BINARY_DIR}/sprout.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/sprout.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# sprout_install_test(): installs this build into a temporary prefix, then builds and runs a
# small program against the installed tree, once through find_package and once through
# pkg-config.
function(sprout_install_test)
  add_test(NAME install_consumer
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR}
                   -DCONSUMER_DIR=${PROJECT_SOURCE_DIR}/tests/install
                   -DWORK_DIR=${PROJECT_BINARY_DIR}/install-test -DGENERATOR=${CMAKE_GENERATOR}
                   -DCXX=${CMAKE_CXX_COMPILER} -P ${PROJECT_SOURCE_DIR}/tests/install/run.cmake)
  set_tests_properties(install_consumer PROPERTIES TIMEOUT 300)
endfunction()
