# veltra_add_layer(NAME target [QT] DEPS ...): one static library of the .cpp files in the
# calling folder. An empty folder gives an interface library so the tree configures while a
# layer is being written.
function(veltra_add_layer)
  cmake_parse_arguments(L "" "NAME" "DEPS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(_sources)
    add_library(${L_NAME} STATIC ${_sources})
    target_include_directories(${L_NAME} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${L_NAME} PUBLIC ${L_DEPS})
  else()
    add_library(${L_NAME} INTERFACE)
    target_include_directories(${L_NAME} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${L_NAME} INTERFACE ${L_DEPS})
  endif()
endfunction()
