# Windows: an installer (NSIS) and a .zip of the same files for those who cannot run one.
set(CPACK_GENERATOR NSIS ZIP)
# Both programs go together; there is nothing for the user to choose among.
set(CPACK_MONOLITHIC_INSTALL ON)

set(CPACK_PACKAGE_INSTALL_DIRECTORY Corvane)
set(CPACK_NSIS_PACKAGE_NAME Corvane)
set(CPACK_NSIS_DISPLAY_NAME Corvane)
# The programs are 64-bit: not the 32-bit "Program Files (x86)" that $PROGRAMFILES names.
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/corvane.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/corvane.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME bin\\\\Corvane.exe)
set(CPACK_NSIS_URL_INFO_ABOUT ${CPACK_PACKAGE_HOMEPAGE_URL})
# The Start menu's entry opens the window; the command is for a console, not a menu.
set(CPACK_PACKAGE_EXECUTABLES Corvane Corvane)
# A page that offers to put bin\ on PATH, "Do not add" chosen: a silent install adds nothing.
set(CPACK_NSIS_MODIFY_PATH ON)
# One entry in "Programs and Features" whatever the version; a new version's installer first
# removes the one installed (silently too).
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Corvane)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# A 64-bit installer for 64-bit programs: it also runs where only 64-bit Windows programs can
# (Wine without its 32-bit half, as in the tests). CPack's script template puts this among the
# installer's attributes.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
