# VELDRO.dll: the module for Windows. Its only export is DPMENU, under its plain name; on 32-bit
# Windows it is a __stdcall function of one 4-byte argument (DPMENU@4 inside the library). The
# C++ runtime is linked in, so the library needs nothing beyond what every Windows has.
enable_language(RC)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(DP_DPMENU_EXPORT "DPMENU = DPMENU@4")
else()
  set(DP_DPMENU_EXPORT "DPMENU")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/VELDRO.def.in ${CMAKE_CURRENT_BINARY_DIR}/VELDRO.def @ONLY)
add_library(veldro SHARED ${CMAKE_CURRENT_SOURCE_DIR}/entry/dpmenu_export.cpp
  ${CMAKE_CURRENT_LIST_DIR}/veldro.rc ${CMAKE_CURRENT_BINARY_DIR}/VELDRO.def)
target_link_libraries(veldro PRIVATE dpcore)
target_link_options(veldro PRIVATE -Wl,--no-undefined -Wl,--exclude-all-symbols)
set_target_properties(veldro PROPERTIES PREFIX "" OUTPUT_NAME "VELDRO" SUFFIX ".dll")
install(TARGETS veldro RUNTIME DESTINATION .)
