# The GL 3.3 core loader is generated at configure time from Debian's python3-glad;
# the generated code lives in the build tree only.
set(QV_GLAD_DIR ${CMAKE_BINARY_DIR}/glad)
if(NOT EXISTS ${QV_GLAD_DIR}/src/gl.c)
  execute_process(
    COMMAND /usr/bin/python3 -m glad --quiet --api gl:core=3.3 --extensions= --reproducible
            --out-path ${QV_GLAD_DIR} c
    RESULT_VARIABLE glad_result
    OUTPUT_QUIET ERROR_QUIET)
  if(NOT glad_result EQUAL 0 OR NOT EXISTS ${QV_GLAD_DIR}/src/gl.c)
    message(FATAL_ERROR "Generating the GL loader failed: is python3-glad installed?")
  endif()
endif()
add_library(qv_glad STATIC ${QV_GLAD_DIR}/src/gl.c)
target_include_directories(qv_glad SYSTEM PUBLIC ${QV_GLAD_DIR}/include)
set_target_properties(qv_glad PROPERTIES POSITION_INDEPENDENT_CODE ON)
