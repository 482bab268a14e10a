# Debian: two packages, corvane (the window, the command and their documents) and
# corvane-modemsim (the virtual module, which only testers need). The maintainer and homepage
# are cpack's defaults from the contact and the URL.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
# Named before the install rules that fill them, since include(CPack) reads the list.
set(CPACK_COMPONENTS_ALL corvane corvane-modemsim)
set(CPACK_DEBIAN_CORVANE_PACKAGE_NAME corvane)
set(CPACK_DEBIAN_CORVANE-MODEMSIM_PACKAGE_NAME corvane-modemsim)
set(CPACK_DEBIAN_CORVANE_PACKAGE_SUGGESTS corvane-modemsim)
set(CPACK_DEBIAN_PACKAGE_SOURCE corvane)
# name_version_arch.deb, without a Debian revision: the packages are built from this tree, and
# their changelog.gz is in Debian's form.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

# Each description's first line is its package's synopsis; the generator would put the common
# summary in front of both.
unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
set(CPACK_COMPONENT_CORVANE_DESCRIPTION
    "write audio/battery parameter files into a cellular radio module
Corvane writes audio and battery parameter sets into the cellular radio module
of a handheld device over its serial line. Pick a parameter file (*.prm) and
the module family - K31 modules take text files, K47 modules binary ones - and
start the update: Corvane finds the module's baud rate, powers and resets the
module, shows the progress and reports a clear result, and switches the module
off whatever happens.
.
The package holds the window (Corvane), the command corvane-update for
terminals and scripts, their manual pages, bash completion, and an example
udev rule that keeps ModemManager away from the module's port.")
set(CPACK_COMPONENT_CORVANE-MODEMSIM_DESCRIPTION
    "virtual radio module for trying Corvane without hardware
corvane-modemsim plays a K31 or K47 cellular radio module on a pseudo-terminal:
point corvane-update or the Corvane window at the device it prints, and it
answers the module's AT dialogue, stores the parameter set it receives and can
write it to a file afterwards. Switches make it misbehave (stay silent, answer
late or with garbage, hang up) for testing how a program copes.")
