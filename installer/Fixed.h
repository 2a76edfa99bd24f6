// Fixed texts, file names, key paths and patterns of the installer: everything it uses that does
// not come from the string table.
#pragma once

// Window title set once the main window is shown.
inline constexpr char INSTALL_WINDOW_TITLE[] = "Install v1.0047";

// The one start-up message that is not translated, and the caption of system error boxes.
inline constexpr char INSTALL_VERSION_FAILED_TEXT[] = "GetVersionEx failed";
inline constexpr char INSTALL_ERROR_CAPTION[] = "Error";

// Command line that makes the program the uninstaller.
inline constexpr char INSTALL_REMOVE_COMMAND[] = "remove";

// Locale of the standard library for all categories.
inline constexpr char INSTALL_LOCALE[] = "jpn";

// Program Files when the shell cannot name it.
inline constexpr char INSTALL_FALLBACK_PROGRAM_FILES[] = "c:";

// Windows uninstall record, filled with the product name; its install-directory value.
inline constexpr char INSTALL_UNINSTALL_KEY_PATTERN[] = "software\\microsoft\\windows\\CURRENTVERSION\\UNINSTALL\\%s";
inline constexpr char INSTALL_TARGET_DIR_VALUE[] = "TargetDir";

// The uninstaller copy in the Windows directory: Windows directory, product name.
inline constexpr char INSTALL_UNINSTALLER_PATTERN[] = "%s\\%s remove.exe";

// DirectX set-up library: the disc's copy and the two copies in the Windows directory.
inline constexpr char INSTALL_DSETUP_PATTERN[] = "%s\\dsetup.dll";
inline constexpr char INSTALL_DSETUP32_PATTERN[] = "%s\\dsetup32.dll";

// Default install directory: Program Files, then text 22.
inline constexpr char INSTALL_DEFAULT_DIR_PATTERN[] = "%s\\%s";

// The game and the help file.
inline constexpr char INSTALL_GAME_PROGRAM[] = "quillmain.exe";
inline constexpr char INSTALL_HELP_FILE[] = "readme.txt";
inline constexpr char INSTALL_HELP_COMMAND[] = "notepad readme.txt";
inline constexpr char INSTALL_HELP_MISSING_PATTERN[] = "%s readme.txt";

// The disk-space query's own failure message; its caption is INSTALL_ERROR_CAPTION.
inline constexpr char INSTALL_DISK_SPACE_FAILED_TEXT[] = "GetDiskFreeSpaceEx failed";

// The uninstall record: the parent of its key, and its other two values. UninstallString is the
// uninstaller copy's path followed by the word that selects remove mode, without quotes.
inline constexpr char INSTALL_UNINSTALL_PARENT[] = "software\\microsoft\\windows\\CURRENTVERSION\\UNINSTALL";
inline constexpr char INSTALL_DISPLAY_NAME_VALUE[] = "DisplayName";
inline constexpr char INSTALL_UNINSTALL_STRING_VALUE[] = "UninstallString";
inline constexpr char INSTALL_UNINSTALL_STRING_PATTERN[] = "%s remove";

// Where the shell records the Start menu's Programs folder (under HKEY_CURRENT_USER).
inline constexpr char INSTALL_SHELL_FOLDERS_KEY[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr char INSTALL_PROGRAMS_VALUE[] = "Programs";

// Separator between the Programs folder and the product's own Start-menu folder.
inline constexpr char INSTALL_FOLDER_SEPARATOR[] = "\\";

// Shortcuts that older copy lists left in the Start-menu folder under fixed names, renamed after an
// install to a translated name with the same extension: Start-menu folder and old name, then
// Start-menu folder, text and extension.
inline constexpr char INSTALL_OLD_WEB_LINK[] = "Goto Ostrakon.url";
inline constexpr char INSTALL_OLD_SOFTWARE_LINK[] = "Tesvel Software.lnk";
inline constexpr char INSTALL_OLD_3DFX_LINK[] = "Tesvel 3dfx.lnk";
inline constexpr char INSTALL_OLD_SITE_LINK[] = "Veltrane.Url";
inline constexpr char INSTALL_URL_EXTENSION[] = ".url";
inline constexpr char INSTALL_LNK_EXTENSION[] = ".lnk";
inline constexpr char INSTALL_OLD_LINK_PATTERN[] = "%s\\%s";
inline constexpr char INSTALL_NEW_LINK_PATTERN[] = "%s\\%s%s";
