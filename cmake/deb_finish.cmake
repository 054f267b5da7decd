# CPack (make deb) runs this on the finished package (CPACK_POST_BUILD_SCRIPTS).
# CPack adds a postinst and a postrm that run ldconfig whenever a shared
# object lies below /usr/lib, here the window module in /usr/lib/zoruna/,
# which no other program links against: the loader's cache never needs it,
# and Debian asks for no ldconfig calls in maintainer scripts. Such scripts
# are taken out again (rebuilt with dpkg-deb); scripts that do anything else
# stay.
find_program(DPKG_DEB dpkg-deb REQUIRED)

# Whether a maintainer script does nothing but run ldconfig.
function(zoruna_only_ldconfig script result)
  file(STRINGS "${script}" lines)
  set(only FALSE)
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line MATCHES "^(#!/bin/sh|set -e|if \\[ \"\\$1\" = \"[a-z-]+\" \\]; then|fi|)$")
      continue()
    elseif(line STREQUAL "ldconfig")
      set(only TRUE)
    else()
      set(${result} FALSE PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${result} ${only} PARENT_SCOPE)
endfunction()

foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree "${CPACK_TOPLEVEL_DIRECTORY}/repack")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND "${DPKG_DEB}" --raw-extract "${deb}" "${tree}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb --raw-extract ${deb} failed: ${status}")
  endif()
  set(changed FALSE)
  foreach(name postinst postrm)
    set(script "${tree}/DEBIAN/${name}")
    if(EXISTS "${script}")
      zoruna_only_ldconfig("${script}" only)
      if(only)
        file(REMOVE "${script}")
        set(changed TRUE)
      endif()
    endif()
  endforeach()
  if(changed)
    execute_process(COMMAND "${DPKG_DEB}" --root-owner-group --build "${tree}" "${deb}"
                    OUTPUT_QUIET RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "dpkg-deb --build ${deb} failed: ${status}")
    endif()
  endif()
  file(REMOVE_RECURSE "${tree}")
endforeach()
