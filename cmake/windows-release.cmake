# The Windows release: kinloom-<version>-windows-x64.zip with both
# programs, the user guide, the background picture, the example tree and a
# README.txt for Windows users; and the checks that only the Windows build
# has (DLL imports, whole runs under Wine against the Linux build).

set(KINLOOM_RELEASE_NAME kinloom-${PROJECT_VERSION}-windows-x64)
set(KINLOOM_RELEASE_STAGE ${CMAKE_BINARY_DIR}/release/kinloom-${PROJECT_VERSION})
set(KINLOOM_RELEASE_ZIP ${CMAKE_BINARY_DIR}/${KINLOOM_RELEASE_NAME}.zip)

# Text files for Windows users get Windows line ends.
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/README.txt
  ${CMAKE_BINARY_DIR}/release-text/README.txt @ONLY NEWLINE_STYLE CRLF)
file(READ ${CMAKE_SOURCE_DIR}/example/kinloom.cfg KINLOOM_EXAMPLE_CFG)
string(REPLACE "\n" "\r\n" KINLOOM_EXAMPLE_CFG "${KINLOOM_EXAMPLE_CFG}")
file(WRITE ${CMAKE_BINARY_DIR}/release-text/kinloom.cfg "${KINLOOM_EXAMPLE_CFG}")

set(KINLOOM_RELEASE_PROGRAMS kinloom-create)
if(TARGET kinloom)
  list(APPEND KINLOOM_RELEASE_PROGRAMS kinloom)
endif()
set(KINLOOM_RELEASE_PROGRAM_FILES)
foreach(program ${KINLOOM_RELEASE_PROGRAMS})
  list(APPEND KINLOOM_RELEASE_PROGRAM_FILES $<TARGET_FILE:${program}>)
endforeach()

add_custom_command(OUTPUT ${KINLOOM_RELEASE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/release
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KINLOOM_RELEASE_STAGE}/example/html
  COMMAND ${CMAKE_COMMAND} -E copy ${KINLOOM_RELEASE_PROGRAM_FILES}
          ${CMAKE_SOURCE_DIR}/example/help.htm ${CMAKE_SOURCE_DIR}/example/html/sand1.jpg
          ${CMAKE_BINARY_DIR}/release-text/README.txt ${KINLOOM_RELEASE_STAGE}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/example/family.ged
          ${CMAKE_BINARY_DIR}/release-text/kinloom.cfg ${KINLOOM_RELEASE_STAGE}/example
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/example/html/sand1.jpg
          ${CMAKE_SOURCE_DIR}/example/html/margarethe.png
          ${CMAKE_SOURCE_DIR}/example/html/margarethe-1920.png
          ${CMAKE_SOURCE_DIR}/example/html/thomas.png ${KINLOOM_RELEASE_STAGE}/example/html
  COMMAND ${CMAKE_COMMAND} -E rm -f ${KINLOOM_RELEASE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/release
          ${CMAKE_COMMAND} -E tar cf ${KINLOOM_RELEASE_ZIP} --format=zip kinloom-${PROJECT_VERSION}
  DEPENDS ${KINLOOM_RELEASE_PROGRAMS} ${CMAKE_SOURCE_DIR}/packaging/windows/README.txt
          ${CMAKE_SOURCE_DIR}/example/kinloom.cfg ${CMAKE_SOURCE_DIR}/example/family.ged
          ${CMAKE_SOURCE_DIR}/example/help.htm
  COMMENT "Packing ${KINLOOM_RELEASE_NAME}.zip"
  VERBATIM)
add_custom_target(windows-release ALL DEPENDS ${KINLOOM_RELEASE_ZIP})

add_test(NAME windows_imports
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check-windows-imports.sh ${KINLOOM_RELEASE_PROGRAM_FILES})

# Whole runs under Wine against the Linux kinloom-create (built by
# scripts/test-windows.sh in build/; skipped when it is not there).
set(KINLOOM_LINUX_CREATE ${CMAKE_SOURCE_DIR}/build/kinloom-create CACHE FILEPATH
  "The Linux kinloom-create the Windows one is compared with")
add_test(NAME windows_whole_run
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/whole_run.sh $<TARGET_FILE:kinloom-create>
          ${KINLOOM_LINUX_CREATE})
set_tests_properties(windows_whole_run PROPERTIES
  ENVIRONMENT "${KINLOOM_EMULATOR_ENVIRONMENT}" SKIP_RETURN_CODE 77 TIMEOUT 1800)
