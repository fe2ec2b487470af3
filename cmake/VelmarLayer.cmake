# velmar_layer(<name> [NO_SOURCES] [DEPENDS <targets>...])
#
# Declares the library of one layer folder: target velmar_<name>, alias
# Velmar::<name>. The folder's .cpp files (found recursively) make a static
# library; a folder with none yet, or one declared NO_SOURCES, is an
# interface library. Headers are installed under include/velmar/<name>/,
# keeping the layout, since code includes them by their path from the
# repository root.
function(velmar_layer name)
  cmake_parse_arguments(L "NO_SOURCES" "" "DEPENDS" ${ARGN})
  set(target velmar_${name})
  set(sources)
  if(NOT L_NO_SOURCES)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  endif()
  if(sources)
    add_library(${target} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(${target} INTERFACE)
    set(scope INTERFACE)
  endif()
  add_library(Velmar::${name} ALIAS ${target})
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${name} OUTPUT_NAME velmar_${name})
  target_include_directories(${target} ${scope}
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/velmar>)
  target_compile_features(${target} ${scope} cxx_std_20)
  if(L_DEPENDS)
    target_link_libraries(${target} ${scope} ${L_DEPENDS})
  endif()
  install(TARGETS ${target} EXPORT VelmarTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velmar/${name}
    FILES_MATCHING PATTERN "*.h")
  set_property(GLOBAL APPEND PROPERTY VELMAR_LAYERS ${name})
endfunction()
