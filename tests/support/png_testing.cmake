# The PNG helper shared by the drawing tests of several areas.
include_guard(GLOBAL)
find_package(PNG REQUIRED)
add_library(tarvel_png_testing STATIC ${CMAKE_CURRENT_LIST_DIR}/png_image.cpp)
target_include_directories(tarvel_png_testing PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tarvel_png_testing PUBLIC PNG::PNG winapi_testing)
