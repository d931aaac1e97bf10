# vornak_library(NAME DIR DEPS...): a static library of every source in DIR.
# Files ending in _win.cpp or _posix.cpp build only for their platform; a
# Win32-only unit simply has no _posix counterpart and is absent on Linux.
function(vornak_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(source ${sources})
    if(source MATCHES "_(win|posix)\\.cpp$" AND NOT source MATCHES "_${VORNAK_PLATFORM}\\.cpp$")
      list(REMOVE_ITEM sources ${source})
    endif()
  endforeach()
  list(FILTER sources EXCLUDE REGEX "/(win_main|install_mode_win|heap_operators_win)\\.cpp$")
  if(NOT sources)
    # A subsystem with nothing built for this platform (yet).
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARGN})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
  vornak_warnings(${name})
  vornak_stub_code(${name})
endfunction()
