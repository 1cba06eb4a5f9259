// Resource ids shared by the resource script and the code.
#ifndef QUILLOMAR_RESOURCE_H
#define QUILLOMAR_RESOURCE_H

#define IDS_DESCRIPTION 1 // the name Windows lists for the saver
#define IDS_EMAIL 1015
#define IDS_WWW 1016
#define IDS_SHEET_CAPTION 1017

#define IDI_QUILLOMAR 107
#define IDB_INTRODUCTION 145
#define IDB_FONT_SHEET 163

#define IDD_CONFIGURE_HOST 2003

// The configuration sheet's pages and their controls.
#define IDD_INTRODUCTION 119
#define IDD_CREDITS 132
#define IDC_WWW 1011
#define IDC_EMAIL 1012
#define IDC_STATIC_VERSION 1074
#define IDC_PICTURE 1075

#endif
