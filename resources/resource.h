/* Resource ids shared by the resource script and the program: dialogs, controls, bitmaps, icon
   and the text ids of the string table. Plain C preprocessor only: windres reads this file too. */
#ifndef QUILL_RESOURCE_H
#define QUILL_RESOURCE_H

/* Dialog templates. */
#define IDD_MAIN_WINDOW 1102
#define IDD_TEXT_ENTRY 900

/* Controls of the main window. The five big buttons are numbered by slot, top to bottom. */
#define IDC_SLOT1 1000
#define IDC_SLOT2 1002
#define IDC_SLOT3 1001
#define IDC_SLOT4 1004
#define IDC_SLOT5 1003
#define IDC_STATUS_LABEL 1010
#define IDC_PROMPT_LABEL 1009
#define IDC_INSTALL_DIR 1011
#define IDC_SECOND_STATUS 1012
#define IDC_DIR_OK 1
#define IDC_DIR_CANCEL 1014
#define IDC_PROGRESS 1005

/* Controls of the text-entry dialog (besides IDOK 1 and IDCANCEL 2). */
#define IDC_ENTRY_PROMPT 910
#define IDC_ENTRY_TEXT 911

/* Icon and bitmaps. */
#define IDI_SETUP 1104
#define IDB_BACKGROUND 3000
#define IDB_BUTTON_SKIN 156

/* Text ids of the English block; a text of language n has its id + 100 * n. */
#define MSG_PLAY 1
#define MSG_INSTALL 2
#define MSG_REMOVE 3
#define MSG_README 4
#define MSG_EXIT 5
#define MSG_CANCEL 6
#define MSG_COMPACT 7
#define MSG_TYPICAL 8
#define MSG_MAXIMUM 9
#define MSG_DIRECTX 10
#define MSG_INSTALLING 11
#define MSG_REMOVING 12
#define MSG_NOTENOUGHSPACE 13
#define MSG_TYPEINSTALLDIR 14
#define MSG_SUCCESS 15
#define MSG_QUESTION 20
#define MSG_GAMETYPE 21
#define MSG_DEFAULT_DIR 22
#define MSG_FAILEDSTARTGAME 23
#define MSG_ERRORCREATINGREG 24
#define MSG_WARNING 25
#define MSG_ERROR 26
#define MSG_NOTVALIDDIR 27
#define MSG_UNABLETOOPENKEY 28
#define MSG_UNABLETOOPEN 29
#define MSG_FAILEDLINK 30
#define MSG_FAILEDURL 31
#define MSG_INFO 32
#define MSG_INSTALLDX 33
#define MSG_INSTALLDXM 34
#define MSG_UNABLETOWRITE 35
#define MSG_DELDIR 36
#define MSG_DELFILE 37
#define MSG_REMOVECOMPLETE 38
#define MSG_AREYOUSURE 39
#define MSG_START_MENU_OSTRA_WEB 40
#define MSG_START_MENU_SW 41
#define MSG_START_MENU_3DFX 42
#define MSG_DIRECTX_INSTALLED 43
#define MSG_DIRECTX_RESTART 44
#define MSG_DIRECTX_ERROR 45
#define MSG_APPLICATION_NAME 46
#define MSG_ENGLISH 5000
#define MSG_FRENCH 5001
#define MSG_GERMAN 5002
#define MSG_ITALIAN 5003
#define MSG_SPANISH 5004
#define MSG_LICENCE 5005

/* Language blocks. */
#define LANGUAGE_BLOCK_SIZE 100
#define LANGUAGE_ENGLISH 0
#define LANGUAGE_FRENCH 1
#define LANGUAGE_GERMAN 2
#define LANGUAGE_ITALIAN 3
#define LANGUAGE_SPANISH 4

#endif
