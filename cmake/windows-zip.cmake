# The Windows download, built by `make windows-zip`: lettermoor-<version>-win64.zip
# holding the game, its two data files and the tools, all in one folder.
set(LETTERMOOR_ZIP ${PROJECT_BINARY_DIR}/lettermoor-${PROJECT_VERSION}-win64.zip)
set(LETTERMOOR_ZIP_DIR ${PROJECT_BINARY_DIR}/zip/lettermoor-${PROJECT_VERSION})
set(LETTERMOOR_ZIP_PROGRAMS lettermoor lettermoor-words lettermoor-image
                            lettermoor-make-win-picture)
set(zip_copies "")
foreach(program ${LETTERMOOR_ZIP_PROGRAMS})
  list(APPEND zip_copies COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${program}>
       ${LETTERMOOR_ZIP_DIR}/)
endforeach()
add_custom_command(
  OUTPUT ${LETTERMOOR_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${LETTERMOOR_ZIP_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LETTERMOOR_ZIP_DIR}
  ${zip_copies}
  COMMAND ${CMAKE_COMMAND} -E copy ${LETTERMOOR_RUN_DIR}/woerter.txt ${LETTERMOOR_RUN_DIR}/win.bmp
          ${LETTERMOOR_ZIP_DIR}/
  COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}/zip ${CMAKE_COMMAND} -E tar cf
          ${LETTERMOOR_ZIP} --format=zip lettermoor-${PROJECT_VERSION}
  DEPENDS ${LETTERMOOR_ZIP_PROGRAMS} run-folder ${LETTERMOOR_RUN_DIR}/woerter.txt
          ${LETTERMOOR_RUN_DIR}/win.bmp
  COMMENT "Packing lettermoor-${PROJECT_VERSION}-win64.zip")
add_custom_target(win64-zip DEPENDS ${LETTERMOOR_ZIP})
