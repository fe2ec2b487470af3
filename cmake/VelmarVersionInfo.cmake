# velmar_version_info(<target> DESCRIPTION <text> [TYPE app|dll])
#
# Gives a program or shared object a Windows-style version resource (file and
# product version, "CompanyName", "ProductName", "FileDescription", ...) in the
# ELF section that GetFileVersionInfo reads. On Windows builds the resource
# compiler does this job and the function does nothing.
function(velmar_version_info target)
  cmake_parse_arguments(V "" "DESCRIPTION;TYPE" "" ${ARGN})
  if(WIN32)
    return()
  endif()
  if(NOT V_TYPE)
    set(V_TYPE app)
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_resource.cpp)
  set(version ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
  add_custom_command(OUTPUT ${out}
    COMMAND velmar_verinfo ${out} ${version} ${version} ${V_TYPE}
      "CompanyName=Brandvik Corp."
      "FileDescription=${V_DESCRIPTION}"
      "FileVersion=${version}"
      "InternalName=${target}"
      "LegalCopyright=Copyright (C) Brandvik Corp."
      "OriginalFilename=$<TARGET_FILE_NAME:${target}>"
      "ProductName=Velmar"
      "ProductVersion=${PROJECT_VERSION}"
    DEPENDS velmar_verinfo
    COMMENT "Version resource of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
