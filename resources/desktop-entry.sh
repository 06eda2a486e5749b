#!/bin/sh
# Writes inkwright.desktop beside this script: a desktop entry that starts the
# programs of this folder, with the program icon. Desktop entries name files by
# absolute path only, so run it again after moving the folder.
#
#   ./desktop-entry.sh          write the entry into this folder
#   ./desktop-entry.sh --menu   also copy it into ~/.local/share/applications,
#                               so that the desktop's menu lists Inkwright
#
# --folder DIR writes the paths of DIR instead of this folder's (used when the
# folder is installed into a staging area before it reaches DIR).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
folder=$here
menu=no
while [ $# -gt 0 ]; do
    case $1 in
        --menu) menu=yes ;;
        --folder)
            folder=${2:?--folder needs a folder}
            shift
            ;;
        *)
            echo "usage: $0 [--menu] [--folder DIR]" >&2
            exit 2
            ;;
    esac
    shift
done

# A value escapes each backslash; inside a quoted argument of Exec, " ` $ and
# the backslash are escaped first, and % is written %%.
value() { printf '%s' "$1" | sed -e 's/\\/\\\\/g'; }
command_path() { printf '"%s"' "$(printf '%s' "$1" | sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g' -e 's/%/%%/g')"; }

entry="$here/inkwright.desktop"
cat >"$entry" <<ENTRY
[Desktop Entry]
Type=Application
Version=1.0
Name=Inkwright Plus
GenericName=Article Prompt Writer
Comment=Article-writing prompts for long-tail keywords, with a promoted product
TryExec=$(value "$folder/InkwrightPlus")
Exec=$(command_path "$folder/InkwrightPlus")
Icon=$(value "$folder/inkwright.png")
Terminal=false
Categories=Office;TextTools;
Keywords=prompt;keyword;article;SEO;ChatGPT;
StartupNotify=true
StartupWMClass=InkwrightPlus
Actions=basic;

[Desktop Action basic]
Name=Inkwright (basic edition)
Exec=$(command_path "$folder/Inkwright")
ENTRY
echo "Wrote $entry"

if [ "$menu" = yes ]; then
    applications="${XDG_DATA_HOME:-$HOME/.local/share}/applications"
    mkdir -p "$applications"
    cp "$entry" "$applications/inkwright.desktop"
    echo "Added Inkwright to the menu: $applications/inkwright.desktop"
fi
