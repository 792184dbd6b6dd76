// Ids shared by the control tests and their resource script.
#pragma once

#define IDD_LABEL_DIALOG 100

#define IDC_PICTURE_LABEL 1400
#define IDC_NUMBER_LABEL 1403
#define IDC_UNIT_LABEL 1107
#define IDC_PORT_TEXT 1201
#define IDC_CONNECT_BUTTON 1103
#define IDC_START_BUTTON 1105
#define IDC_EMPTY_LABEL 1300
