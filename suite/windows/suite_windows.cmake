# The suite's stand-ins on Windows: dphost.exe, DEVPICK.DLL and LISTOUT.DLL, and the renderer
# with veldro-render.exe. Their entries use the
# standard Windows calling convention and are exported under their plain names.
function(dp_suite_library target file entry argumentBytes)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(DP_EXPORT "${entry} = ${entry}@${argumentBytes}")
  else()
    set(DP_EXPORT "${entry}")
  endif()
  set(DP_LIBRARY ${file}.DLL)
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/windows/entry.def.in ${CMAKE_CURRENT_BINARY_DIR}/${file}.def @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${file}.def)
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/include)
  target_link_libraries(${target} PRIVATE dpplatform)
  target_link_options(${target} PRIVATE -Wl,--no-undefined -Wl,--exclude-all-symbols)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${file} SUFFIX ".DLL")
  install(TARGETS ${target} RUNTIME DESTINATION .)
endfunction()

add_subdirectory(render)

add_library(devpick SHARED devpick/devpick.cpp devpick/save_as_win32.cpp)
dp_suite_library(devpick DEVPICK PickDevice 32)
target_link_libraries(devpick PRIVATE comdlg32)
add_library(listout SHARED listout/listout_win32.cpp listout/gdi_printing_win32.cpp listout/page_window_win32.cpp
  listout/paper_choice_win32.cpp)
dp_suite_library(listout LISTOUT ListOut 8)
target_link_libraries(listout PRIVATE dprender)

add_executable(dphost host/dphost.cpp host/host_win32.cpp host/host_desktop_win32.cpp)
target_include_directories(dphost PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/include)
target_link_libraries(dphost PRIVATE dpplatform)
install(TARGETS dphost RUNTIME DESTINATION .)
