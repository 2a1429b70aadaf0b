# What an installation holds, relative to its prefix; sourced by the
# installation and package checks, which set pagora_window_module to where the
# window's module goes (<libdir>/pagora/<file>).
pagora_installed_files="bin/Pagora
$pagora_window_module
share/applications/org.pagora.Pagora.desktop
share/metainfo/org.pagora.Pagora.metainfo.xml
share/man/man1/Pagora.1
share/systemd/user/pagora-watch@.service
share/icons/hicolor/scalable/apps/org.pagora.Pagora.svg"
pagora_icon_sizes="16 32 48 64 128 256 512"
for size in $pagora_icon_sizes; do
    pagora_installed_files="$pagora_installed_files
share/icons/hicolor/${size}x${size}/apps/org.pagora.Pagora.png"
done
