include(CMakePackageConfigHelpers)

set(VELMAR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Velmar)
install(EXPORT VelmarTargets NAMESPACE Velmar:: DESTINATION ${VELMAR_CMAKE_DIR})
configure_package_config_file(cmake/VelmarConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/VelmarConfig.cmake
  INSTALL_DESTINATION ${VELMAR_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VelmarConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/VelmarConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/VelmarConfigVersion.cmake
  DESTINATION ${VELMAR_CMAKE_DIR})
