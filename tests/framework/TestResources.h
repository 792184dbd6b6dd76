// Ids shared by the framework tests and their resource script.
#pragma once

#define IDD_TEST_DIALOG 100
#define IDD_CLASS_DIALOG 101
#define IDD_MODELESS_DIALOG 102
#define IDD_LANGUAGE_DIALOG 103

#define IDC_ACTION_BUTTON 1001
#define IDC_NAME_EDIT 1002
#define IDC_CHOICE_COMBO 1003
#define IDC_SWATCH 1004
#define IDC_PLAIN_LABEL 1005

// Strings: 1 and 2 share block 1; 1 exists in both languages, 2 only in
// Chinese. 40 (block 3) exists only in English.
#define IDS_GREETING 1
#define IDS_CHINESE_ONLY 2
#define IDS_ENGLISH_ONLY 40
#define IDS_MISSING 41

#define TEST_DIALOG_CLASS "FrameworkTestDialogClass"
