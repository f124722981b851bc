// The viewer's dialog templates, as its resources hold them: captions, sizes and controls
// in dialog units of "MS Sans Serif" 8.
#pragma once

#include "kxdialog.h"

// Template ids.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_RESIZE = 131;
constexpr int IDD_JPEG = 132;
constexpr int IDD_OPTIONS = 135;
constexpr int IDD_PROPERTIES = 136;
constexpr int IDD_VORN = 137;

// The bitmap that the about box shows, 320 × 240 pixels.
constexpr int IDB_ABOUT = 133;

// The template with that id; null for an id that names none.
const KXDLGTEMPLATE* FindDialogTemplate(int id);
