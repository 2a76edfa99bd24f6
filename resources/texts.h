// Every text of the string table, in the one place that the resource script and the tests both
// read: one macro per English row, and the rows of the other four language blocks.
#pragma once

#define TEXT_PLAY                           "Play Quillmoor Demo"
#define TEXT_INSTALL                        "Install Quillmoor Demo"
#define TEXT_REMOVE                         "Remove Quillmoor Demo"
#define TEXT_README                         "Read Help file"
#define TEXT_EXIT                           "Exit Setup"
#define TEXT_CANCEL                         "Cancel"
#define TEXT_COMPACT                        "Install Quillmoor Demo (160mb)"
#define TEXT_TYPICAL                        "Select Typical Install (180mb)"
#define TEXT_MAXIMUM                        "Select Maximum Install (550mb)"
#define TEXT_DIRECTX                        "Install Direct X"
#define TEXT_INSTALLING                     "Installing, please wait..."
#define TEXT_REMOVING                       "Removing, please wait ..."
#define TEXT_NOTENOUGHSPACE                 "You do not have enough disk space to perform Install, please select another destination or Exit and free up some space."
#define TEXT_TYPEINSTALLDIR                 "Please type in your Install Directory"
#define TEXT_SUCCESS                        "Install Complete!"
#define TEXT_QUESTION                       "Question!"
#define TEXT_GAMETYPE                       "Do you have a 3dfx Card Installed?"
#define TEXT_DEFAULT_DIR                    "Quillmoor Demo"
#define TEXT_FAILEDSTARTGAME                "An Error has occured starting the game, please read the help file."
#define TEXT_ERRORCREATINGREG               "An Error has occured accessing the Registry, please check user setting, or read the help file."
#define TEXT_WARNING                        "Warning!"
#define TEXT_ERROR                          "Error!"
#define TEXT_NOTVALIDDIR                    "Sorry this is not a Valid directory, please select another."
#define TEXT_UNABLETOOPENKEY                "Error opening key, please try again."
#define TEXT_UNABLETOOPEN                   "Error opening file :"
#define TEXT_FAILEDLINK                     "Failed to create file Link."
#define TEXT_FAILEDURL                      "Failed to create Webpage link."
#define TEXT_INFO                           "Information"
#define TEXT_INSTALLDX                      "Do you wish to install DirectX?"
#define TEXT_INSTALLDXM                     "Do you wish to install DirectX Media?"
#define TEXT_UNABLETOWRITE                  "Unable to write to file:"
#define TEXT_DELDIR                         "Do you want to delete this dir"
#define TEXT_DELFILE                        "Do you want to delete this file"
#define TEXT_REMOVECOMPLETE                 "Uninstall complete"
#define TEXT_AREYOUSURE                     "Are you sure?"
#define TEXT_START_MENU_OSTRA_WEB           "BLANK"
#define TEXT_START_MENU_SW                  "Quillmoor Software"
#define TEXT_START_MENU_3DFX                "Quillmoor 3DFX"
#define TEXT_DIRECTX_INSTALLED              "Direct X was Successfully Installed."
#define TEXT_DIRECTX_RESTART                "Direst X Setup successfully.\nPlease restart windows before running the game."
#define TEXT_DIRECTX_ERROR                  "Error Installing DirectX."
#define TEXT_APPLICATION_NAME               "Quillmoor Internet Demo"

#define TEXT_ENGLISH                        "English"
#define TEXT_FRENCH                         "French"
#define TEXT_GERMAN                         "German"
#define TEXT_ITALIAN                        "Italian"
#define TEXT_SPANISH                        "Spanish"
#define TEXT_LICENCE                        "Licence Agreement text goes in here."

// The French, German, Italian and Spanish blocks carry each English row again, behind a one-letter
// mark and a blank, with the demo under its regional name. ROW gives the text after the mark as
// the English text renamed; OWN_ROW one that is not derived from the English row at all.
#define TEXT_BLOCK_ROWS(ROW, OWN_ROW) \
    ROW(MSG_PLAY,                      TEXT_PLAY,             "Play Brevanor") \
    ROW(MSG_INSTALL,                   TEXT_INSTALL,          "Install Brevanor") \
    ROW(MSG_REMOVE,                    TEXT_REMOVE,           "Remove Brevanor") \
    ROW(MSG_README,                    TEXT_README,           TEXT_README) \
    ROW(MSG_EXIT,                      TEXT_EXIT,             TEXT_EXIT) \
    ROW(MSG_CANCEL,                    TEXT_CANCEL,           TEXT_CANCEL) \
    OWN_ROW(MSG_COMPACT,               TEXT_COMPACT,          "Select Compact Install (10mb)") \
    ROW(MSG_TYPICAL,                   TEXT_TYPICAL,          TEXT_TYPICAL) \
    ROW(MSG_MAXIMUM,                   TEXT_MAXIMUM,          TEXT_MAXIMUM) \
    ROW(MSG_DIRECTX,                   TEXT_DIRECTX,          TEXT_DIRECTX) \
    ROW(MSG_INSTALLING,                TEXT_INSTALLING,       TEXT_INSTALLING) \
    ROW(MSG_REMOVING,                  TEXT_REMOVING,         TEXT_REMOVING) \
    ROW(MSG_NOTENOUGHSPACE,            TEXT_NOTENOUGHSPACE,   TEXT_NOTENOUGHSPACE) \
    ROW(MSG_TYPEINSTALLDIR,            TEXT_TYPEINSTALLDIR,   TEXT_TYPEINSTALLDIR) \
    ROW(MSG_SUCCESS,                   TEXT_SUCCESS,          TEXT_SUCCESS) \
    ROW(MSG_QUESTION,                  TEXT_QUESTION,         TEXT_QUESTION) \
    ROW(MSG_GAMETYPE,                  TEXT_GAMETYPE,         TEXT_GAMETYPE) \
    OWN_ROW(MSG_DEFAULT_DIR,           TEXT_DEFAULT_DIR,      "c:\\Brevanor Install") \
    ROW(MSG_FAILEDSTARTGAME,           TEXT_FAILEDSTARTGAME,  TEXT_FAILEDSTARTGAME) \
    ROW(MSG_ERRORCREATINGREG,          TEXT_ERRORCREATINGREG, TEXT_ERRORCREATINGREG) \
    ROW(MSG_WARNING,                   TEXT_WARNING,          TEXT_WARNING) \
    ROW(MSG_ERROR,                     TEXT_ERROR,            TEXT_ERROR) \
    ROW(MSG_NOTVALIDDIR,               TEXT_NOTVALIDDIR,      TEXT_NOTVALIDDIR) \
    ROW(MSG_UNABLETOOPENKEY,           TEXT_UNABLETOOPENKEY,  TEXT_UNABLETOOPENKEY) \
    ROW(MSG_UNABLETOOPEN,              TEXT_UNABLETOOPEN,     TEXT_UNABLETOOPEN) \
    ROW(MSG_FAILEDLINK,                TEXT_FAILEDLINK,       TEXT_FAILEDLINK) \
    ROW(MSG_FAILEDURL,                 TEXT_FAILEDURL,        TEXT_FAILEDURL) \
    ROW(MSG_INFO,                      TEXT_INFO,             TEXT_INFO) \
    ROW(MSG_INSTALLDX,                 TEXT_INSTALLDX,        TEXT_INSTALLDX) \
    ROW(MSG_INSTALLDXM,                TEXT_INSTALLDXM,       TEXT_INSTALLDXM) \
    ROW(MSG_UNABLETOWRITE,             TEXT_UNABLETOWRITE,    TEXT_UNABLETOWRITE) \
    ROW(MSG_DELDIR,                    TEXT_DELDIR,           TEXT_DELDIR) \
    ROW(MSG_DELFILE,                   TEXT_DELFILE,          TEXT_DELFILE) \
    ROW(MSG_REMOVECOMPLETE,            TEXT_REMOVECOMPLETE,   TEXT_REMOVECOMPLETE) \
    ROW(MSG_AREYOUSURE,                TEXT_AREYOUSURE,       TEXT_AREYOUSURE) \
    OWN_ROW(MSG_START_MENU_OSTRA_WEB,  TEXT_START_MENU_OSTRA_WEB, "Goto Ostrakon") \
    OWN_ROW(MSG_START_MENU_SW,         TEXT_START_MENU_SW,    "Brevanor Software") \
    OWN_ROW(MSG_START_MENU_3DFX,       TEXT_START_MENU_3DFX,  "Brevanor 3dfx ") \
    ROW(MSG_DIRECTX_INSTALLED,         TEXT_DIRECTX_INSTALLED, TEXT_DIRECTX_INSTALLED) \
    ROW(MSG_DIRECTX_RESTART,           TEXT_DIRECTX_RESTART,  TEXT_DIRECTX_RESTART) \
    ROW(MSG_DIRECTX_ERROR,             TEXT_DIRECTX_ERROR,    TEXT_DIRECTX_ERROR) \
    OWN_ROW(MSG_APPLICATION_NAME,      TEXT_APPLICATION_NAME, "Brevanor")

// The language names and the licence placeholder have one copy only.
#define TEXT_SINGLE_ROWS(ROW) \
    ROW(MSG_ENGLISH, TEXT_ENGLISH) \
    ROW(MSG_FRENCH, TEXT_FRENCH) \
    ROW(MSG_GERMAN, TEXT_GERMAN) \
    ROW(MSG_ITALIAN, TEXT_ITALIAN) \
    ROW(MSG_SPANISH, TEXT_SPANISH) \
    ROW(MSG_LICENCE, TEXT_LICENCE)
