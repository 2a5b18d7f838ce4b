# wendrel_add_assets(TARGET [DIR...])
#
# A Wendrel game runs in a folder that holds the engine's font (wd-font.ttf,
# with its licence) and the game's own sprites/ and sounds/. This copies the
# font, and each DIR under its own name, into the folder of TARGET's
# executable whenever TARGET is built:
#
#   wendrel_add_assets(mygame sprites sounds)
#
# Relative DIRs are taken from the calling CMakeLists.txt's folder.
function(wendrel_add_assets target)
  # The executable's folder, spelt out: naming the target's file here would
  # make the copy depend on the very target that depends on it.
  get_target_property(folder ${target} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT folder)
    get_target_property(folder ${target} BINARY_DIR)
  endif()
  get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
  if(multi_config)
    string(APPEND folder /$<CONFIG>)
  endif()
  set(commands
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${WENDREL_FONT_FILES} ${folder})
  foreach(dir IN LISTS ARGN)
    get_filename_component(source ${dir} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    get_filename_component(name ${source} NAME)
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_directory ${source} ${folder}/${name})
  endforeach()
  add_custom_target(${target}_assets ${commands} VERBATIM)
  add_dependencies(${target} ${target}_assets)
endfunction()
