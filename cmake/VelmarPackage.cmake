# `make package`: Debian packages built by CPack from the install rules.
#   velmar      the programs and everything the desktop needs of them
#   velmar-dev  the libraries, their headers and the CMake package files
# The programs' Depends come from dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmar)
set(CPACK_PACKAGE_VENDOR "Brandvik Corp.")
set(CPACK_PACKAGE_CONTACT ${VELMAR_PACKAGE_CONTACT})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY velmar)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VELMAR_WEB_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME velmar)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
  "XML editor that shows a document as a tree of nodes
Velmar opens an XML file and shows its nodes as a tree beside the text of
the selected item; elements, attributes and comments can be added, renamed,
deleted and moved, a node exported to a file of its own and the document
previewed in the web browser. The command-line tool velmar-xml runs the same
XML engine without a window.")
set(CPACK_DEBIAN_DEV_PACKAGE_NAME velmar-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# Static libraries: what a program built on them links against.
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libsqlite3-dev, qt6-base-dev")
set(CPACK_DEBIAN_DEV_DESCRIPTION
  "Velmar's libraries, for programs built on them
The static libraries of Velmar's layers (Win32 calls on POSIX, foundation,
OS services, I/O, the XML engine and the application framework over Qt 6),
their headers and the CMake package files, found with
find_package(Velmar CONFIG).")
include(CPack)
