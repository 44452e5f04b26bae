# The setup program (target "installer"): Corvana-<version>-<arch>-setup.exe in the build folder,
# made by NSIS's makensis from the portable folder.
find_program(MAKENSIS makensis)
set(CORVANA_SETUP ${CMAKE_BINARY_DIR}/Corvana-${PROJECT_VERSION}-${CORVANA_ARCH}-setup.exe)
if(MAKENSIS)
    add_custom_command(OUTPUT ${CORVANA_SETUP}
        COMMAND ${MAKENSIS} -V2 -DARCH=${CORVANA_ARCH} -DSOURCE=${PORTABLE_DIR} -DMAKER=KALDERN
                -DICON=${IMAGE_DIR}/corvana.ico -DOUTFILE=${CORVANA_SETUP} ${CMAKE_SOURCE_DIR}/installer/corvana.nsi
        DEPENDS ${CMAKE_SOURCE_DIR}/installer/corvana.nsi $<TARGET_FILE:Corvana> ${BUNDLED_FILES}
                ${IMAGE_DIR}/corvana.ico
        COMMENT "Making the setup program"
        VERBATIM)
    add_custom_target(installer DEPENDS ${CORVANA_SETUP})
else()
    add_custom_target(installer
        COMMAND ${CMAKE_COMMAND} -E echo "makensis not found; run scripts/setup.sh" COMMAND false)
endif()
