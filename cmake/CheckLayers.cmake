# Refuses an include that points up or across the layers.
#
# Run at build time (cmake -DSOURCE_DIR=... -P CheckLayers.cmake) before any
# library compiles. Every source file of a layer folder may include headers
# only of the folders listed for it below; anything else stops the build with
# the file, the line and the rule it breaks. Tests and benchmarks may include
# everything.
#
# The layers, bottom to top:
#   app        catalogue, message ids, token splitter, helpers, program settings
#   model      settings record, gas catalogue, field conversions, option rules
#   records    settings file, history, lists, pre-write checks, configuration
#   link       the instrument link (transports, frames, command set, sequences)
#   workflows  one object per user-level operation
#   ui, cli    the window and the command-line tool
#   sim        the detector emulator, written from the detector's side
cmake_minimum_required(VERSION 3.25)

set(allowed_app       app)
set(allowed_model     app model)
set(allowed_records   app model records)
set(allowed_link      app model link)
set(allowed_register  app model records register)
set(allowed_workflows app model records link register workflows)
set(allowed_ui        app model records link register workflows ui sim)
set(allowed_cli       app model records link register workflows cli sim)
set(allowed_sim       sim)
set(layers app model records link register workflows ui cli sim)

set(violations "")
foreach(layer IN LISTS layers)
    file(GLOB_RECURSE files "${SOURCE_DIR}/${layer}/*.cpp" "${SOURCE_DIR}/${layer}/*.h")
    foreach(file IN LISTS files)
        file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[A-Za-z0-9_]+/")
        foreach(line IN LISTS lines)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([A-Za-z0-9_]+)/.*$" "\\1" target "${line}")
            list(FIND layers "${target}" is_layer)
            if(is_layer LESS 0)
                continue()
            endif()
            list(FIND allowed_${layer} "${target}" ok)
            if(ok LESS 0)
                file(RELATIVE_PATH rel "${SOURCE_DIR}" "${file}")
                string(REPLACE ";" ", " may "${allowed_${layer}}")
                string(STRIP "${line}" line)
                string(APPEND violations
                       "  ${rel}: ${line}\n    (${layer}/ may include only: ${may})\n")
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations)
    message(FATAL_ERROR "Include against the layers:\n${violations}"
                        "See docs/architecture.md for the layers and their order.")
endif()
