# Nautilus extension (nautilus-python): the context-menu items "Open Windows Link" on
# Windows shortcuts and "Copy Windows Path" on any selection. Installed into
# share/nautilus-python/extensions, the one place where Nautilus picks up menu items
# for every user; it needs the nautilus-python package (python3-nautilus on Debian).
#
# The selected files go to kestrova as separate arguments, never through a shell.

import subprocess

import gi

try:
    gi.require_version("Nautilus", "4.0")
except ValueError:
    gi.require_version("Nautilus", "3.0")
from gi.repository import GObject, Nautilus  # noqa: E402


def _local_paths(files):
    # Files on GVfs shares have a local path through GVfs's FUSE folder; items without
    # one (for example an unmounted location) cannot be passed on.
    paths = []
    for item in files:
        location = item.get_location()
        path = location.get_path() if location is not None else None
        if path:
            paths.append(path)
    return paths


def _is_shortcut(item):
    return item.is_mime_type("application/x-ms-shortcut") or item.get_name().lower().endswith(".lnk")


def _run_kestrova(command, paths):
    if paths:
        subprocess.Popen(["kestrova", command, *paths], close_fds=True)


class KestrovaMenuProvider(GObject.GObject, Nautilus.MenuProvider):
    def _items(self, files):
        items = []
        if files and all(_is_shortcut(item) for item in files):
            open_item = Nautilus.MenuItem(
                name="Kestrova::OpenWindowsLink",
                label="Open Windows Link",
                tip="Open the targets of the selected Windows shortcuts",
            )
            open_item.connect("activate", lambda _item: _run_kestrova("open", _local_paths(files)))
            items.append(open_item)
        if files:
            copy_item = Nautilus.MenuItem(
                name="Kestrova::CopyWindowsPath",
                label="Copy Windows Path",
                tip="Copy the Windows paths of the selected files",
            )
            copy_item.connect("activate", lambda _item: _run_kestrova("copy-path", _local_paths(files)))
            items.append(copy_item)
        return items

    # Nautilus 43 and later call get_file_items(files); older ones (window, files).
    def get_file_items(self, *args):
        return self._items(args[-1])
