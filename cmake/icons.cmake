# The application icon has one source, res/icons/zoruna.svg. rsvg-convert
# renders it at build time into the PNGs that get installed, and the same PNGs
# are compiled into the program for its window icons.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)

set(ZORUNA_ICON_SVG ${CMAKE_CURRENT_SOURCE_DIR}/res/icons/zoruna.svg)
set(ZORUNA_ICON_SIZES 16 32 48 64 128 256)
set(ZORUNA_ICON_DIR ${CMAKE_CURRENT_BINARY_DIR}/icons)

set(ZORUNA_ICON_PNGS)
foreach(size ${ZORUNA_ICON_SIZES})
  set(png ${ZORUNA_ICON_DIR}/${size}x${size}/zoruna.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZORUNA_ICON_DIR}/${size}x${size}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${ZORUNA_ICON_SVG}
    DEPENDS ${ZORUNA_ICON_SVG}
    COMMENT "Rendering the ${size}x${size} icon"
    VERBATIM)
  list(APPEND ZORUNA_ICON_PNGS ${png})
endforeach()

set(ZORUNA_GENERATED_DIR ${CMAKE_CURRENT_BINARY_DIR}/generated)
set(ZORUNA_APP_ICON_HEADER ${ZORUNA_GENERATED_DIR}/app_icon_png.h)
string(REPLACE ";" "," sizes "${ZORUNA_ICON_SIZES}")
add_custom_command(
  OUTPUT ${ZORUNA_APP_ICON_HEADER}
  COMMAND ${CMAKE_COMMAND} -DICON_DIR=${ZORUNA_ICON_DIR} -DSIZES=${sizes} -DOUTPUT=${ZORUNA_APP_ICON_HEADER}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/embed_icons.cmake
  DEPENDS ${ZORUNA_ICON_PNGS} ${CMAKE_CURRENT_SOURCE_DIR}/cmake/embed_icons.cmake
  COMMENT "Embedding the window icons"
  VERBATIM)

target_sources(zoruna_res PRIVATE ${ZORUNA_APP_ICON_HEADER})
target_include_directories(zoruna_res PRIVATE ${ZORUNA_GENERATED_DIR})

# The results list's row pictures, drawn from their SVG sources at the
# display's scale.
set(ZORUNA_ROW_SVGS only_a only_b a_newer b_newer undecided)
set(ZORUNA_ROW_SVG_FILES)
foreach(name ${ZORUNA_ROW_SVGS})
  list(APPEND ZORUNA_ROW_SVG_FILES ${CMAKE_CURRENT_SOURCE_DIR}/res/icons/${name}.svg)
endforeach()
set(ZORUNA_ROW_SVG_HEADER ${ZORUNA_GENERATED_DIR}/row_state_svg.h)
string(REPLACE ";" "," names "${ZORUNA_ROW_SVGS}")
add_custom_command(
  OUTPUT ${ZORUNA_ROW_SVG_HEADER}
  COMMAND ${CMAKE_COMMAND} -DSVG_DIR=${CMAKE_CURRENT_SOURCE_DIR}/res/icons -DNAMES=${names}
          -DOUTPUT=${ZORUNA_ROW_SVG_HEADER} -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/embed_svgs.cmake
  DEPENDS ${ZORUNA_ROW_SVG_FILES} ${CMAKE_CURRENT_SOURCE_DIR}/cmake/embed_svgs.cmake
  COMMENT "Embedding the row pictures"
  VERBATIM)
target_sources(zoruna_res PRIVATE ${ZORUNA_ROW_SVG_HEADER})
