# Windows: an installer (NSIS) and a .zip of the same files for those who cannot run one.
set(CPACK_GENERATOR NSIS ZIP)
# Both programs go together; there is nothing for the user to choose among.
set(CPACK_MONOLITHIC_INSTALL ON)

set(CPACK_PACKAGE_INSTALL_DIRECTORY Corvane)
set(CPACK_NSIS_PACKAGE_NAME Corvane)
set(CPACK_NSIS_DISPLAY_NAME Corvane)
# The programs are 64-bit: not the 32-bit "Program Files (x86)" that $PROGRAMFILES names.
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/corvane-full.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/corvane-full.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME bin\\\\Corvane.exe)
set(CPACK_NSIS_URL_INFO_ABOUT ${CPACK_PACKAGE_HOMEPAGE_URL})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# The Start menu's entry opens the window; the command gets a console of its own there (below).
set(CPACK_PACKAGE_EXECUTABLES Corvane Corvane)
# A page that offers to put bin\ on PATH, "Do not add" chosen: a silent install adds nothing. The
# same page offers the desktop shortcut, unticked. Its text is ours, from the folder below.
set(CPACK_NSIS_MODIFY_PATH ON)
set(CPACK_CREATE_DESKTOP_LINKS Corvane)
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/nsis)
# The .prm association, the command prompt entry and the rest that CPack has no setting for.
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "!insertmacro CorvanePreinstall")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "!insertmacro CorvaneInstall")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "!insertmacro CorvaneUninstall")
set(CPACK_NSIS_CREATE_ICONS_EXTRA "!insertmacro CorvaneIcons")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "!insertmacro CorvaneDeleteIcons")
# One entry in "Programs and Features" whatever the version; a new version's installer first
# removes the one installed (silently too).
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Corvane)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# A 64-bit installer for 64-bit programs: it also runs where only 64-bit Windows programs can
# (Wine without its 32-bit half, as in the tests). CPack's script template puts this among the
# installer's attributes.
set(CPACK_NSIS_DEFINES "Target amd64-unicode\n!include '${CMAKE_CURRENT_LIST_DIR}/nsis/Corvane.nsh'")

# What a user reads and tries first, in both the installer and the zip, with names that Windows
# opens: text, samples, and an example of the registry settings that is not named after a port
# (a file "com5.reg" would be opened as the port).
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION doc RENAME README.txt)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION doc RENAME LICENSE.txt)
install(FILES ${PROJECT_SOURCE_DIR}/CHANGELOG.md DESTINATION doc RENAME CHANGELOG.txt)
install(FILES ${PROJECT_SOURCE_DIR}/samples/k31-audio.prm ${PROJECT_SOURCE_DIR}/samples/k47-audio.prm
              ${PROJECT_SOURCE_DIR}/samples/corvane-settings.reg
        DESTINATION examples)
