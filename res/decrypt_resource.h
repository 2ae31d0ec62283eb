// Resource ids of the decrypt window, by kind. Shared by res/rescindo-decrypt.rc and the sources
// of decrypt_app/.
#pragma once

// Dialogs
#define IDD_DECRYPT 201

// Controls of the decrypt dialog, in their tab order
#define IDC_WARNING 2001
#define IDC_FILES_LABEL 2002
#define IDC_FILE_LIST 2003
#define IDC_ADD_FILES 2004
#define IDC_ADD_FOLDER 2005
#define IDC_REMOVE 2006
#define IDC_SEARCH_DRIVES 2007
#define IDC_NOT_SEARCHED 2008
#define IDC_KEY_GROUP 2010
#define IDC_KEY_AUTO 2011
#define IDC_KEY_BUILT_IN 2012
#define IDC_KEY_NUMBER 2013
#define IDC_KEY_PAIR 2014
#define IDC_PAIR_ORIGINAL_LABEL 2015
#define IDC_PAIR_ORIGINAL 2016
#define IDC_PAIR_ORIGINAL_CHOOSE 2017
#define IDC_PAIR_ENCRYPTED_LABEL 2018
#define IDC_PAIR_ENCRYPTED 2019
#define IDC_PAIR_ENCRYPTED_CHOOSE 2020
#define IDC_KEY_PASSWORD 2021
#define IDC_PASSWORD 2022
#define IDC_PASSWORD_HINT 2023
#define IDC_PROGRESS 2030
#define IDC_STATUS 2031
#define IDC_DECRYPT 2040
#define IDC_STOP 2041
#define IDC_SAVE_REPORT 2042
#define IDC_EXIT 2043
#define IDC_RECYCLE 2044

// Icons
#define IDI_DECRYPT 131

// Manifest (resource type 24)
#define IDR_DECRYPT_MANIFEST 1

// Version information
#define IDV_DECRYPT_VERSION 1
