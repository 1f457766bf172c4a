# The Debian package: `cpack -G DEB` in the build folder (scripts/package) writes
# kestrova_VERSION_ARCH.deb holding every install component under /usr. The libraries'
# packages come from dpkg-shlibdeps; the others are what the programs run or load.
# Shared-mime-info, desktop-file-utils and the icon theme refresh their caches through
# their own file triggers, so the package needs no maintainer scripts.
set(CPACK_PACKAGE_NAME kestrova)
set(CPACK_PACKAGE_CONTACT "Kestrova developers <kestrova@dovrane.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Debian's long description: lines under 80 columns, no double quotes (CPack writes the
# text into its configuration unescaped).
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Kestrova reads Windows shortcuts (.lnk files) and Windows paths such as"
    "\\\\server\\share\\file or X:\\file, applies the user's drive mappings, mounts"
    "the share through GVfs and opens the target with its own application."
    "It also copies the Windows paths of files on mounted shares, and adds the"
    "actions Open Windows Link and Copy Windows Path to Nautilus, Nemo, Dolphin"
    "and Thunar.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# smbpasswd for the settings window's password sheet; GVfs's SMB, AFP and NFS backends
# and its FUSE folder, through which targets on shares are opened; Qt's X11 platform.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "samba-common-bin, gvfs-backends, gvfs-fuse, qt6-qpa-plugins")
# The exception log symbolises with eu-addr2line and c++filt.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "elfutils, binutils")
# Nautilus loads the menu extension through nautilus-python; mount method "cifs".
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-nautilus, cifs-utils")

include(CPack)
