# Fails when an include runs up a layer (platform, then images, then ui/support and ui/components,
# then app), when an include in platform/ runs up a floor, when platform/ has a folder with no
# floor, or when two folders of platform/, ui/support/ or ui/components/ include each other.
# Run: cmake -DSOURCE_DIR=<tree> -P tests/floors/check_floors.cmake
#
cmake_minimum_required(VERSION 3.25)

# The floors, from the ground; a file includes only from its own floor or below.
set(floor_foundation 0)
set(floor_dispatch 1)
set(floor_graphics 2)
set(floor_animation 3)
set(floor_net 3)
set(floor_ui 4)
set(floor_layout 5)
set(floor_render 5)
set(floor_media 5)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "pass -DSOURCE_DIR=<the source tree>")
endif()

set(faults "")
set(edges "")  # "<area>:<from>><to>" for every folder that includes another

# Reads the includes of every file under <root>/<prefix>/ that name <prefix>/<folder>/, and
# records which folder includes which.
function(collect_edges prefix)
  file(GLOB_RECURSE files LIST_DIRECTORIES false "${SOURCE_DIR}/${prefix}/*.h"
       "${SOURCE_DIR}/${prefix}/*.cpp")
  set(found "${edges}")
  foreach(file IN LISTS files)
    file(RELATIVE_PATH rel "${SOURCE_DIR}/${prefix}" "${file}")
    if(NOT rel MATCHES "^([^/]+)/")
      continue()  # a file at the top of the area belongs to no folder
    endif()
    set(from "${CMAKE_MATCH_1}")
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]${prefix}/[^/]+/")
    foreach(line IN LISTS lines)
      string(REGEX MATCH "[\"<]${prefix}/([^/]+)/([^\">]+)" _ "${line}")
      set(to "${CMAKE_MATCH_1}")
      if(NOT to STREQUAL from)
        list(APPEND found "${prefix}:${from}>${to}|${prefix}/${rel} -> ${prefix}/${to}/${CMAKE_MATCH_2}")
      endif()
    endforeach()
  endforeach()
  set(edges "${found}" PARENT_SCOPE)
endfunction()

collect_edges(platform)
collect_edges(ui/support)
collect_edges(ui/components)

# The layers, from the ground; ui/support and ui/components stand side by side and include
# neither each other nor app/.
set(layer_names platform images ui/support ui/components app)
set(layer_platform 0)
set(layer_images 1)
set(layer_ui/support 2)
set(layer_ui/components 2)
set(layer_app 3)
foreach(layer IN LISTS layer_names)
  file(GLOB_RECURSE files LIST_DIRECTORIES false "${SOURCE_DIR}/${layer}/*.h"
       "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](images|ui|app)/")
    foreach(line IN LISTS lines)
      string(REGEX MATCH "[\"<]((images|app|ui/[^/]+)/[^\">]*)" _ "${line}")
      set(target "${CMAKE_MATCH_1}")
      set(to "${CMAKE_MATCH_2}")
      if(NOT DEFINED layer_${to} OR to STREQUAL layer)
        continue()
      endif()
      if(NOT layer_${to} LESS layer_${layer})
        file(RELATIVE_PATH rel "${SOURCE_DIR}" "${file}")
        list(APPEND faults "runs up from layer ${layer} to ${to}: ${rel} -> ${target}")
      endif()
    endforeach()
  endforeach()
endforeach()

# Every folder of platform/ has a floor.
file(GLOB platform_entries LIST_DIRECTORIES true "${SOURCE_DIR}/platform/*")
foreach(entry IN LISTS platform_entries)
  if(IS_DIRECTORY "${entry}")
    get_filename_component(name "${entry}" NAME)
    if(NOT DEFINED floor_${name})
      list(APPEND faults "platform/${name} has no floor: give it one in ${CMAKE_CURRENT_LIST_FILE}")
    endif()
  endif()
endforeach()

set(pairs "")
foreach(edge IN LISTS edges)
  string(REPLACE "|" ";" parts "${edge}")
  list(GET parts 0 pair)
  list(GET parts 1 where)
  list(APPEND pairs "${pair}")
  if(pair MATCHES "^platform:([^>]+)>(.+)$")
    set(from "${CMAKE_MATCH_1}")
    set(to "${CMAKE_MATCH_2}")
    if(DEFINED floor_${from} AND DEFINED floor_${to} AND floor_${to} GREATER floor_${from})
      list(APPEND faults "runs up from ${from} (floor ${floor_${from}}) to ${to} (floor ${floor_${to}}): ${where}")
    endif()
  endif()
endforeach()
list(REMOVE_DUPLICATES pairs)

foreach(pair IN LISTS pairs)
  string(REGEX MATCH "^([^:]+):([^>]+)>(.+)$" _ "${pair}")
  set(area "${CMAKE_MATCH_1}")
  set(from "${CMAKE_MATCH_2}")
  set(to "${CMAKE_MATCH_3}")
  if(from STRLESS to AND "${area}:${to}>${from}" IN_LIST pairs)
    list(APPEND faults "${area}/${from} and ${area}/${to} include each other")
  endif()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "include floors broken:\n  ${text}")
endif()
list(LENGTH edges count)
message(STATUS "include floors hold (${count} includes across folders)")
