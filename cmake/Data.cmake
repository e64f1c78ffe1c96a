# The Data folder beside the executables is made by our own generators.
file(GLOB_RECURSE QV_DATA_TOOLS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/*.py)
set(QV_DATA_STAMP ${CMAKE_BINARY_DIR}/data-preview/.generated)
add_custom_command(
  OUTPUT ${QV_DATA_STAMP}
  COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tools/gen_data.py
          --out ${CMAKE_BINARY_DIR}/Data --preview ${CMAKE_BINARY_DIR}/data-preview
  COMMAND ${CMAKE_COMMAND} -E touch ${QV_DATA_STAMP}
  DEPENDS ${QV_DATA_TOOLS}
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  COMMENT "Generating the game's Data folder"
  VERBATIM)
add_custom_target(data ALL DEPENDS ${QV_DATA_STAMP})
