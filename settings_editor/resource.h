// Resource and control ids of Tessimor.
#pragma once

#include "common/suite_resources.h"

// The "Tessimor" window.
#define IDC_SILENCE_LIST 2000
#define IDC_QUALITY_LIST 2001
#define IDC_START_STATE_LIST 2002
#define IDC_START_PLACE_LIST 2003
#define IDC_CONNECTION_LIST 2004
#define IDC_WARNING_VOLUME_LIST 2005
#define IDC_INFO_BOARD_LIST 2006
#define IDC_FOLDER_LIST 2008
#define IDC_FOLDER_FORMAT_EDIT 2009
#define IDC_FILE_FORMAT_EDIT 2010
#define IDC_INCOMING_FORMAT_EDIT 2011
#define IDC_OUTGOING_FORMAT_EDIT 2012
#define IDC_NUMBER_OUTPUT_EDIT 2013
#define IDC_ADD_FOLDER 2014
#define IDC_DELETE_FOLDER 2015
#define IDC_EDIT_FORMAT_FIRST 2016  // 2016..2019 open the format editor for formats 1..4
#define IDC_EDIT_FORMAT_LAST 2019
#define IDC_BROWSE_INCOMING 2020
#define IDC_START_WITH_WINDOWS 2021

// The "各種編集" window.
#define IDC_FORMAT_TEXT 2000
#define IDC_FORMAT_WORD_FIRST 2001  // 2001..2004 append the four words
#define IDC_FORMAT_WORD_LAST 2004
