// The viewer's command ids, as its menu and its windows know them.
#pragma once

// Menu commands.
constexpr unsigned ID_FILE_OPEN = 57601;
constexpr unsigned ID_FILE_SAVEAS = 32773;
constexpr unsigned ID_FILE_EXIT = 32771;
constexpr unsigned ID_EDIT_PROPERTIES = 32784;
constexpr unsigned ID_IMAGE_VFLIP = 32775;
constexpr unsigned ID_IMAGE_RESIZE = 32776;
constexpr unsigned ID_IMAGE_DOUBLESIZEBLUR = 32778;
constexpr unsigned ID_MODE_ZOOM = 32785;
constexpr unsigned ID_PROJECT_VORN = 32788;
constexpr unsigned ID_3D_ANTIALIASING = 32780;
constexpr unsigned ID_3D_WIREFRAME = 32781;
constexpr unsigned ID_3D_FLAT = 32782;
constexpr unsigned ID_3D_NORMAL = 32783;
constexpr unsigned ID_3D_RUNDEMO = 32779;
constexpr unsigned ID_PLUGINS = 65535;
constexpr unsigned ID_HELP_ABOUT = 32774;

// The system-menu item that opens the about box; system commands keep their low four bits
// for the window manager.
constexpr unsigned IDM_ABOUTBOX = 16;

// Dialog templates.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_MAINDLG = 102; // laid out in code: no template holds it
constexpr int IDD_RESIZE = 131;
constexpr int IDD_JPEG = 132;
constexpr int IDD_OPTIONS = 135;
constexpr int IDD_PROPERTIES = 136;
constexpr int IDD_VORN = 137;

// The bitmap that the about box shows, 320 × 240 pixels.
constexpr int IDB_ABOUT = 133;

// Controls of the small dialogs.
constexpr int IDC_RESIZE_WIDTH = 1001;  // labelled "Width:"
constexpr int IDC_RESIZE_HEIGHT = 1002; // labelled "Height:"
constexpr int IDC_JPEG_QUANTIZER = 1002;
constexpr int IDC_JPEG_QUANTIZERTEXT = 1005;
constexpr int IDC_PROPERTIES_LIST = 1011;
constexpr int IDC_VORN_SIMILARITY = 1015;
constexpr int IDC_VORN_DOTS = 1017; // the first of the mode radios, then "Polygons"
constexpr int IDC_VORN_POLYGONS = 1016;
constexpr int IDC_VORN_GENES = 1018;
constexpr int IDC_VORN_FITNESS = 1019;

// The first command id of the renderer items.
constexpr unsigned ID_FIRST_RENDERER = 33000;

// What the picture control shows.
enum KXDISPLAYMODE : int {
    DISPLAY_NOTHING = 0,
    DISPLAY_PICTURE = 1,
    DISPLAY_OBJECT = 2,
    DISPLAY_WORLD = 3,
    DISPLAY_STATUS = 16,
    DISPLAY_ASKRENDERER = 18,
};
