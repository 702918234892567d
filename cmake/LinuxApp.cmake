# The Linux program, build/tarvel: the entry point and window procedure of win/, over
# the layer in winapi/, with the menu read from the same resource script that the
# Windows build compiles. Included from win/CMakeLists.txt.

# The resource script is compiled by the MinGW resource compiler to a .res image, and
# its bytes are embedded in the program; the layer loads the menu from it.
find_program(TARVEL_WINDRES NAMES x86_64-w64-mingw32-windres REQUIRED)
set(TARVEL_RES ${CMAKE_CURRENT_BINARY_DIR}/tarvel.res)
set(TARVEL_RES_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/tarvel_res.cpp)
add_custom_command(
  OUTPUT ${TARVEL_RES}
  COMMAND ${TARVEL_WINDRES} -c 65001 -I ${CMAKE_CURRENT_SOURCE_DIR}
          -O res -i ${CMAKE_CURRENT_SOURCE_DIR}/tarvel.rc -o ${TARVEL_RES}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tarvel.rc ${CMAKE_CURRENT_SOURCE_DIR}/resource.h
          ${CMAKE_CURRENT_SOURCE_DIR}/tarvel.manifest
  COMMENT "Compiling the resource script tarvel.rc"
  VERBATIM)
add_custom_command(
  OUTPUT ${TARVEL_RES_SOURCE}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${TARVEL_RES} -DOUTPUT=${TARVEL_RES_SOURCE} -DNAME=tarvel_resources
          -P ${PROJECT_SOURCE_DIR}/cmake/EmbedBytes.cmake
  DEPENDS ${TARVEL_RES} ${PROJECT_SOURCE_DIR}/cmake/EmbedBytes.cmake
  VERBATIM)
# The resources alone, for the program and for tests that open the main window.
add_library(tarvel_resources STATIC ${TARVEL_RES_SOURCE})

# The window and its procedure, apart from WinMain, so that tests can drive them.
add_library(tarvel_app STATIC ${CMAKE_CURRENT_SOURCE_DIR}/main_window.cpp)
target_include_directories(tarvel_app PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tarvel_app PUBLIC tarvel_game tarvel_players tarvel_draw tarvel_rules tarvel_platform)

add_executable(tarvel ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
target_link_libraries(tarvel PRIVATE tarvel_app tarvel_resources tarvel_winapi_entry)
set_target_properties(tarvel PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
