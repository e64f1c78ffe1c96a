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
set(QV_DATA_OUTPUTS ${QV_DATA_STAMP})

# The world a new game starts from, built by our own tool once the models exist
# (they give the units their sizes, which decide how closely they may stand).
if(TARGET quillon-default-world)
  set(QV_DEFAULT_WORLD "${CMAKE_BINARY_DIR}/Data/Default World.sav")
  add_custom_command(
    OUTPUT ${QV_DEFAULT_WORLD}
    COMMAND $<TARGET_FILE:quillon-default-world> ${QV_DEFAULT_WORLD}
    DEPENDS quillon-default-world ${QV_DATA_STAMP}
    COMMENT "Building the default world"
    VERBATIM)
  list(APPEND QV_DATA_OUTPUTS ${QV_DEFAULT_WORLD})
endif()
add_custom_target(data ALL DEPENDS ${QV_DATA_OUTPUTS})
