# Installs the build tree into a fresh prefix and builds two consumers against
# it: one that links every layer, and one that asks for the XML engine alone
# with Qt made unfindable.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(h win32/win32.h foundation/nkMem.h foundation/cpuidt.h platform/nkPlatform.h
          io/Orvex.h xml/nkDS.h framework/framework.h)
  if(NOT EXISTS ${prefix}/include/velmar/${h})
    message(FATAL_ERROR "not installed: include/velmar/${h}")
  endif()
endforeach()
# Internal headers stay in the source tree.
foreach(h win32/SysCalls.h xml/ReadWindow.h framework/WndBridge.h framework/TreeItemStore.h)
  if(EXISTS ${prefix}/include/velmar/${h})
    message(FATAL_ERROR "internal header installed: include/velmar/${h}")
  endif()
endforeach()

set(flags "")
if(SANITIZE)
  set(flags "-fsanitize=${SANITIZE}")
endif()
set(common -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix}
    "-DCMAKE_CXX_FLAGS=${flags}" "-DCMAKE_EXE_LINKER_FLAGS=${flags}")

run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/build ${common})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/velmar_consumer)

run(${CMAKE_COMMAND} -S ${CONSUMER_DIR}-xml -B ${WORK_DIR}/build-xml ${common}
    -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build-xml)
run(${WORK_DIR}/build-xml/velmar_xml_consumer ${SAMPLE})
