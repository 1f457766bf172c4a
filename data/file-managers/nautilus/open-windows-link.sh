#!/bin/sh
# Nautilus script "Open Windows Link". Nautilus runs scripts only from the user's own
# ~/.local/share/nautilus/scripts; link this file there under the name the menu should
# show. Nautilus passes the selected files of a local folder as names relative to it;
# they are made absolute, so that no name can be taken for an option.
for file do
    shift
    case $file in
        /*) ;;
        *) file=$PWD/$file ;;
    esac
    set -- "$@" "$file"
done
exec kestrova open "$@"
