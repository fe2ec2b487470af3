include(CMakePackageConfigHelpers)

# One export file per layer, so that a consumer asking for some components
# loads (and finds the dependencies of) those and the layers below them only.
set(VELMAR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Velmar)
get_property(velmar_layers GLOBAL PROPERTY VELMAR_LAYERS)
foreach(layer ${velmar_layers})
  install(EXPORT Velmar_${layer}Targets NAMESPACE Velmar:: DESTINATION ${VELMAR_CMAKE_DIR}
    COMPONENT dev)
endforeach()
configure_package_config_file(cmake/VelmarConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/VelmarConfig.cmake
  INSTALL_DESTINATION ${VELMAR_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VelmarConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/VelmarConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/VelmarConfigVersion.cmake
  DESTINATION ${VELMAR_CMAKE_DIR} COMPONENT dev)
