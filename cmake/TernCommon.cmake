# Flags every target of the suite shares.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

# Our own code builds clean; third-party targets opt out with tern_third_party().
set(TERN_WARNINGS -Wall -Wextra -Werror)

# TERN_WIN32: the 32-bit Windows build; TERN_WIN64: the 64-bit one. Every Windows target builds
# in both: the 64-bit build is the shell extension's DocwickExt64 and, on hosts that cannot run
# 32-bit code, the build the Windows tests run on.
set(TERN_WIN32 OFF)
set(TERN_WIN64 OFF)
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TERN_WIN32 ON)
elseif(WIN32)
  set(TERN_WIN64 ON)
endif()

if(WIN32)
  # Windows XP and later; wide-character APIs throughout.
  add_compile_definitions(UNICODE _UNICODE WINVER=0x0501 _WIN32_WINNT=0x0501 NOMINMAX)
  # No runtime DLLs beside the binaries: libgcc, libstdc++ and winpthread are linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(TERN_SANITIZE)
  add_compile_options(-fsanitize=${TERN_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${TERN_SANITIZE})
endif()

function(tern_warnings target)
  target_compile_options(${target} PRIVATE ${TERN_WARNINGS})
endfunction()

function(tern_third_party target)
  set_target_properties(${target} PROPERTIES CXX_CLANG_TIDY "")
  target_compile_options(${target} PRIVATE -w)
endfunction()

# tern_add_test(<name> SOURCES ... [LIBS ...] [LOCKS ...] [LABELS ...] [TIMEOUT s])
# One GoogleTest program, one CTest entry. LOCKS names shared machine state the program
# touches (registry keys, client window classes) so CTest never runs two such programs at once.
function(tern_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LOCKS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  tern_warnings(${name})
  # gtest_main supplies a narrow main(); test programs are console programs.
  target_link_libraries(${name} PRIVATE ${T_LIBS} tern_gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LOCKS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
