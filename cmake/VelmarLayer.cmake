# velmar_layer(<name> [NO_SOURCES] [DEPENDS <targets>...])
#
# Declares the library of one layer folder: target velmar_<name>, alias
# Velmar::<name>, installed as the package component <name>. The folder's
# .cpp files (found recursively) make a static library; a folder with none,
# or one declared NO_SOURCES, is an interface library.
#
# A layer's public headers live in <name>/include/velmar/<name>/ and are
# included as "velmar/<name>/X.h"; they are the only ones installed. Its
# internal headers sit beside its sources and are seen by its own sources
# (and its test suite) alone. A target sees only its own headers and the
# public ones of the layers it links, so an include of a layer it does not
# declare fails to compile.
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
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  else()
    add_library(${target} INTERFACE)
    set(scope INTERFACE)
  endif()
  add_library(Velmar::${name} ALIAS ${target})
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${name} OUTPUT_NAME velmar_${name})
  target_include_directories(${target} ${scope}
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_compile_features(${target} ${scope} cxx_std_20)
  if(L_DEPENDS)
    target_link_libraries(${target} ${scope} ${L_DEPENDS})
  endif()
  install(TARGETS ${target} EXPORT Velmar_${name}Targets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
  install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
    COMPONENT dev)
  set_property(GLOBAL APPEND PROPERTY VELMAR_LAYERS ${name})
endfunction()

# velmar_internal_headers(<target> <layer>...)
#
# Lets a test suite include the internal headers of the layers it tests.
function(velmar_internal_headers target)
  foreach(layer ${ARGN})
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/${layer})
  endforeach()
endfunction()
