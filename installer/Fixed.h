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
