# Signed test programs for the Windows tests. Include this file where you call
# tern_signed_copy(); it creates the throwaway test PKI once per build folder (never committed).
include_guard(GLOBAL)

# Cache entries, so folders that include this file after the first one see them too.
set(TERN_SIGNING_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}" CACHE INTERNAL "")
set(TERN_PKI_DIR "${CMAKE_BINARY_DIR}/signing/pki" CACHE INTERNAL "")

if(WIN32)
  find_program(TERN_OSSLSIGNCODE osslsigncode REQUIRED)
  find_program(TERN_OPENSSL openssl REQUIRED)
  execute_process(COMMAND bash "${TERN_SIGNING_SCRIPTS}/make_pki.sh" "${TERN_PKI_DIR}"
                  RESULT_VARIABLE _tern_pki_rc)
  if(NOT _tern_pki_rc EQUAL 0)
    message(FATAL_ERROR "Could not create the test PKI in ${TERN_PKI_DIR}")
  endif()
  # Test programs find the root beside themselves (tern_test::InstallTestRoot).
  file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
  configure_file("${TERN_PKI_DIR}/test_root.cer" "${CMAKE_BINARY_DIR}/bin/tern_test_root.cer"
                 COPYONLY)
endif()

# tern_signed_copy(<out-target> <exe-target> <signer> <out-file> [TAMPER])
# Builds <out-file>, a copy of <exe-target>'s program signed by <signer>:
#   corvane         "Corvane Technology Company Limited" under the installed test root
#   corvane_case    the same name in another letter case, same root
#   corvane_longer  "Corvane Technology Company Limited Holdings", same root
#   other           another publisher, same root
#   untrusted       "Corvane Technology Company Limited" under a root that is never installed
#   none            an unsigned copy
# TAMPER changes one byte of the image after signing.
function(tern_signed_copy out_target exe_target signer out_file)
  cmake_parse_arguments(S "TAMPER" "" "" ${ARGN})
  set(_mode "")
  if(S_TAMPER)
    set(_mode tamper)
  endif()
  get_filename_component(_dir "${out_file}" DIRECTORY)
  add_custom_command(
    OUTPUT "${out_file}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${_dir}"
    COMMAND bash "${TERN_SIGNING_SCRIPTS}/sign.sh" "${TERN_PKI_DIR}" ${signer}
            "$<TARGET_FILE:${exe_target}>" "${out_file}" ${_mode}
    DEPENDS ${exe_target} "${TERN_SIGNING_SCRIPTS}/sign.sh"
    COMMENT "Signing ${out_file} (${signer})"
    VERBATIM)
  add_custom_target(${out_target} ALL DEPENDS "${out_file}")
endfunction()
