# Builds the fuzz target with clang in its own tree, seeds a corpus from the
# samples and the test documents, and runs it for SECONDS seconds.
# -DSOURCE_DIR= -DWORK_DIR= -DSECONDS= [-DGENERATOR=]
if(NOT GENERATOR)
  set(GENERATOR Ninja)
endif()
set(bin ${WORK_DIR}/build)
if(NOT EXISTS ${bin}/CMakeCache.txt)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/xml/fuzz -B ${bin} -G ${GENERATOR}
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug
    RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "configuring the fuzz build failed")
  endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${bin} -j 2 RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "building the fuzz target failed")
endif()

set(corpus ${WORK_DIR}/corpus)
file(MAKE_DIRECTORY ${corpus})
file(GLOB seeds ${SOURCE_DIR}/samples/*.xml ${SOURCE_DIR}/tests/xml/fuzz/seeds/*)
file(COPY ${seeds} DESTINATION ${corpus})

execute_process(COMMAND ${bin}/velmar-fuzz-xml -max_total_time=${SECONDS} -max_len=4096
    -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=${WORK_DIR}/ ${corpus}
  RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "the fuzz target found a failure (see the artifact in ${WORK_DIR})")
endif()
