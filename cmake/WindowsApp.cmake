# The Windows program, tarvel.exe: the entry point and window procedure of win/, the
# resource script (menu and manifest), and the game's libraries, linked fully static
# against the real system libraries. Included from win/CMakeLists.txt when
# cross-compiling (see cmake/mingw-w64.cmake).

file(GLOB TARVEL_APP_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/main*.cpp)

# windres reads the UTF-8 script as code page 65001 (the script's own #pragma says the
# same); its preprocessor finds resource.h next to the script, and windres itself finds
# the manifest through the include path. One explicit command, the same as the Linux
# build's apart from the output format, so the project need not enable CMake's RC language.
find_program(TARVEL_WINDRES NAMES ${CMAKE_RC_COMPILER} x86_64-w64-mingw32-windres REQUIRED)
set(TARVEL_RES_OBJECT ${CMAKE_CURRENT_BINARY_DIR}/tarvel.res.o)
add_custom_command(
  OUTPUT ${TARVEL_RES_OBJECT}
  COMMAND ${TARVEL_WINDRES} -c 65001 -I ${CMAKE_CURRENT_SOURCE_DIR}
          -O coff -i ${CMAKE_CURRENT_SOURCE_DIR}/tarvel.rc -o ${TARVEL_RES_OBJECT}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tarvel.rc ${CMAKE_CURRENT_SOURCE_DIR}/resource.h
          ${CMAKE_CURRENT_SOURCE_DIR}/tarvel.manifest
  COMMENT "Compiling the resource script tarvel.rc"
  VERBATIM)
add_custom_target(tarvel_resources ALL DEPENDS ${TARVEL_RES_OBJECT})

if(TARVEL_APP_SOURCES)
  add_executable(tarvel WIN32 ${TARVEL_APP_SOURCES} ${TARVEL_RES_OBJECT})
  set_source_files_properties(${TARVEL_RES_OBJECT} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
  # The resource object is made once, by tarvel_resources, never by two targets at a time.
  add_dependencies(tarvel tarvel_resources)
  target_link_libraries(tarvel PRIVATE tarvel_game tarvel_players tarvel_draw tarvel_rules tarvel_platform)
  # Fully static: no libstdc++, libgcc or libwinpthread DLLs, only the system's.
  # (WIN32 already links with -mwindows: the GUI subsystem, no console.)
  target_link_options(tarvel PRIVATE -static)
  set_target_properties(tarvel PROPERTIES
    OUTPUT_NAME tarvel
    SUFFIX .exe
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
else()
  message(WARNING "win/main*.cpp not found: tarvel.exe is not built (only the libraries and resources)")
endif()
