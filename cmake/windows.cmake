# The Windows program: one static executable with the window linked in (a
# module of its own would only add a DLL beside it: on Windows the -- options
# do not pay for the window system's libraries, which are the system's own),
# its resources, the zip and the installer. Included from CMakeLists.txt once
# the window's layers exist.
enable_language(RC)
include(cmake/icons.cmake)

set(ZORUNA_WINDOWS_DIR ${CMAKE_CURRENT_BINARY_DIR}/windows)
set(ZORUNA_WINDOWS_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/dist/windows)

# The application icon: every rendered size of res/icons/zoruna.svg in one .ico.
find_program(MAGICK_CONVERT convert REQUIRED)
set(ZORUNA_ICO ${ZORUNA_WINDOWS_DIR}/zoruna.ico)
add_custom_command(
  OUTPUT ${ZORUNA_ICO}
  COMMAND ${MAGICK_CONVERT} ${ZORUNA_ICON_PNGS} ${ZORUNA_ICO}
  DEPENDS ${ZORUNA_ICON_PNGS}
  COMMENT "Packing the icon sizes into zoruna.ico"
  VERBATIM)

# The version resource takes four numbers; "03" would be read as octal there.
foreach(part MAJOR MINOR PATCH)
  math(EXPR ZORUNA_VERSION_${part} "${PROJECT_VERSION_${part}} + 0")
endforeach()
configure_file(${ZORUNA_WINDOWS_SOURCES}/zoruna.rc.in ${ZORUNA_WINDOWS_DIR}/zoruna.rc @ONLY)
configure_file(${ZORUNA_WINDOWS_SOURCES}/zoruna.manifest ${ZORUNA_WINDOWS_DIR}/zoruna.manifest COPYONLY)
set_source_files_properties(${ZORUNA_WINDOWS_DIR}/zoruna.rc PROPERTIES
  OBJECT_DEPENDS "${ZORUNA_ICO};${ZORUNA_WINDOWS_DIR}/zoruna.manifest")

add_executable(zoruna WIN32 app/main.cpp app/gui_module.cpp app/gui_linked.cpp ${ZORUNA_WINDOWS_DIR}/zoruna.rc)
target_include_directories(zoruna PRIVATE ${ZORUNA_LAYER_INCLUDES}/app ${ZORUNA_WINDOWS_DIR})
target_link_libraries(zoruna PRIVATE zoruna_app)
# Nothing but the system's DLLs: the C++ runtime and winpthread go in too.
target_link_options(zoruna PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)

# --- the zip and the installer, built with the program
set(ZORUNA_PACKAGE_NAME zoruna-${PROJECT_VERSION}-windows-x64)
set(ZORUNA_ZIP ${CMAKE_CURRENT_BINARY_DIR}/${ZORUNA_PACKAGE_NAME}.zip)
set(ZORUNA_INSTALLER ${CMAKE_CURRENT_BINARY_DIR}/${ZORUNA_PACKAGE_NAME}-setup.exe)
set(ZORUNA_ZIP_DIR ${ZORUNA_WINDOWS_DIR}/zip/${ZORUNA_PACKAGE_NAME})
find_program(ZIP zip REQUIRED)
find_program(MAKENSIS makensis REQUIRED)

file(MAKE_DIRECTORY ${ZORUNA_WINDOWS_DIR}/zip)
add_custom_command(
  OUTPUT ${ZORUNA_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${ZORUNA_ZIP_DIR} ${ZORUNA_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZORUNA_ZIP_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:zoruna> ${ZORUNA_ZIP_DIR}/
  COMMAND ${CMAKE_COMMAND} -E copy ${ZORUNA_WINDOWS_SOURCES}/readme.txt ${ZORUNA_ZIP_DIR}/
  COMMAND ${ZIP} -qrX ${ZORUNA_ZIP} ${ZORUNA_PACKAGE_NAME}
  WORKING_DIRECTORY ${ZORUNA_WINDOWS_DIR}/zip
  DEPENDS zoruna ${ZORUNA_WINDOWS_SOURCES}/readme.txt
  COMMENT "Packing ${ZORUNA_PACKAGE_NAME}.zip"
  VERBATIM)

configure_file(${ZORUNA_WINDOWS_SOURCES}/installer.nsi.in ${ZORUNA_WINDOWS_DIR}/installer.nsi @ONLY)
add_custom_command(
  OUTPUT ${ZORUNA_INSTALLER}
  COMMAND ${MAKENSIS} -V2 -DEXE=$<TARGET_FILE:zoruna> -DICON=${ZORUNA_ICO}
          -DREADME=${ZORUNA_WINDOWS_SOURCES}/readme.txt -DOUTFILE=${ZORUNA_INSTALLER}
          ${ZORUNA_WINDOWS_DIR}/installer.nsi
  DEPENDS zoruna ${ZORUNA_WINDOWS_DIR}/installer.nsi ${ZORUNA_ICO} ${ZORUNA_WINDOWS_SOURCES}/readme.txt
  COMMENT "Making the installer ${ZORUNA_PACKAGE_NAME}-setup.exe"
  VERBATIM)

add_custom_target(windows_packages ALL DEPENDS ${ZORUNA_ZIP} ${ZORUNA_INSTALLER})
