# tinyxml2, jsoncpp and GoogleTest, built from Debian's source packages with the current
# toolchain (tools/fetch-sources.sh unpacks them). Nothing third-party lives in the repo.
set(TERN_SOURCES_DIR "${CMAKE_SOURCE_DIR}/build/_sources" CACHE PATH "Unpacked dependency sources")

file(GLOB _tinyxml2_dir LIST_DIRECTORIES true "${TERN_SOURCES_DIR}/tinyxml2-*")
file(GLOB _jsoncpp_dir LIST_DIRECTORIES true "${TERN_SOURCES_DIR}/libjsoncpp-*")
if(NOT _tinyxml2_dir OR NOT _jsoncpp_dir)
  message(FATAL_ERROR "Dependency sources missing under ${TERN_SOURCES_DIR}: run tools/fetch-sources.sh")
endif()

add_library(tern_tinyxml2 STATIC "${_tinyxml2_dir}/tinyxml2.cpp")
target_include_directories(tern_tinyxml2 SYSTEM PUBLIC "${_tinyxml2_dir}")
tern_third_party(tern_tinyxml2)
add_library(third_party::tinyxml2 ALIAS tern_tinyxml2)

file(GLOB _jsoncpp_src "${_jsoncpp_dir}/src/lib_json/*.cpp")
add_library(tern_jsoncpp STATIC ${_jsoncpp_src})
target_include_directories(tern_jsoncpp SYSTEM PUBLIC "${_jsoncpp_dir}/include")
target_include_directories(tern_jsoncpp PRIVATE "${_jsoncpp_dir}/src/lib_json")
tern_third_party(tern_jsoncpp)
add_library(third_party::jsoncpp ALIAS tern_jsoncpp)

set(_gtest_root /usr/src/googletest/googletest)
add_library(tern_gtest STATIC "${_gtest_root}/src/gtest-all.cc")
target_include_directories(tern_gtest SYSTEM PUBLIC "${_gtest_root}/include")
target_include_directories(tern_gtest PRIVATE "${_gtest_root}")
tern_third_party(tern_gtest)
find_package(Threads REQUIRED)
target_link_libraries(tern_gtest PUBLIC Threads::Threads)

add_library(tern_gtest_main STATIC "${_gtest_root}/src/gtest_main.cc")
target_link_libraries(tern_gtest_main PUBLIC tern_gtest)
tern_third_party(tern_gtest_main)
