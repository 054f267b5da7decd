# CPack (make deb) runs this between staging the installed files and building
# the package from them (CPACK_PRE_BUILD_SCRIPTS): it gives the staged tree
# what a Debian package has and `make install` does not need, namely the man
# pages compressed with gzip -9n, and /usr/share/doc/<package>/ with the
# copyright file (DEP-5) and a changelog.gz.
set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
find_program(GZIP gzip REQUIRED)

# gzip -9n: best compression, neither the file's name nor its time in the
# header, so that the same file always packs to the same bytes.
function(zoruna_gzip file)
  execute_process(COMMAND "${GZIP}" -9nf "${file}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip -9n ${file} failed: ${status}")
  endif()
  file(CHMOD "${file}.gz" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()

foreach(page ${CPACK_ZORUNA_MAN_PAGES})
  set(man_page "${root}/${page}")
  if(NOT EXISTS "${man_page}")
    message(FATAL_ERROR "the man page ${man_page} was not staged")
  endif()
  zoruna_gzip("${man_page}")
endforeach()

set(doc "${root}/share/doc/${CPACK_PACKAGE_NAME}")
file(MAKE_DIRECTORY "${doc}")
file(CHMOD "${doc}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
file(COPY_FILE "${CPACK_ZORUNA_COPYRIGHT}" "${doc}/copyright")
file(CHMOD "${doc}/copyright" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# A native package's changelog, in the form dpkg-parsechangelog reads. Its
# date is the build's (or SOURCE_DATE_EPOCH's, which string(TIMESTAMP) takes).
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE "${doc}/changelog"
     "${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
     "  * Zoruna ${CPACK_PACKAGE_VERSION}, packaged with CPack (make deb).\n\n"
     " -- ${CPACK_PACKAGE_CONTACT}  ${date}\n")
zoruna_gzip("${doc}/changelog")
