# Fails when a source file includes a folder above its own (or a sibling of
# its own level), or when a logic folder includes an operating-system,
# terminal or JSON header. Run by ctest as the test "layering":
#   cmake -DROOT=<source dir> -P tests/layering.cmake
# The levels are those of docs/architecture.md, lowest first; folders of
# one level (separated by commas) do not include each other.
cmake_minimum_required(VERSION 3.25)
set(levels
  "platform"
  "diagnostics"
  "highlight,macros,keyboard"
  "reswindow"
  "control"
  "host"
  "apps")
set(logic_folders diagnostics highlight macros keyboard reswindow control)
set(os_headers "(sys/|unistd\\.h|fcntl\\.h|dlfcn\\.h|pwd\\.h|dirent\\.h|poll\\.h|signal\\.h|windows\\.h|pthread\\.h|fontconfig/|nlohmann/|n?curses\\.h)")

set(level 0)
foreach(entry IN LISTS levels)
  string(REPLACE "," ";" folders "${entry}")
  foreach(folder IN LISTS folders)
    set(level_of_${folder} ${level})
  endforeach()
  math(EXPR level "${level} + 1")
endforeach()

set(failures "")
foreach(entry IN LISTS levels)
  string(REPLACE "," ";" folders "${entry}")
  foreach(folder IN LISTS folders)
    file(GLOB_RECURSE files "${ROOT}/${folder}/*.cpp" "${ROOT}/${folder}/*.h")
    foreach(file IN LISTS files)
      file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
      file(RELATIVE_PATH name "${ROOT}" "${file}")
      foreach(line IN LISTS includes)
        if(line MATCHES "#[ \t]*include[ \t]*\"([a-z_-]+)/")
          set(target "${CMAKE_MATCH_1}")
          if(DEFINED level_of_${target} AND NOT target STREQUAL folder
             AND NOT level_of_${target} LESS level_of_${folder})
            string(APPEND failures "${name}: ${line} (${folder} may not include ${target})\n")
          endif()
        elseif(folder IN_LIST logic_folders AND line MATCHES "#[ \t]*include[ \t]*<${os_headers}")
          string(APPEND failures "${name}: ${line} (logic folders use platform/ instead)\n")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()

if(failures)
  message(FATAL_ERROR "Includes against the layering:\n${failures}")
endif()
