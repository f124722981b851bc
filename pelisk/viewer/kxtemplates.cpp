#include "kxtemplates.h"

#include "resource.h"

#include <array>

namespace {

using enum KXCONTROL;

constexpr const char* kFont = "MS Sans Serif";
constexpr int kPointSize = 8;

constexpr int IDOK = KXDIALOG::IDOK;
constexpr int IDCANCEL = KXDIALOG::IDCANCEL;

// The text by which a bitmap static names its bitmap: the bitmap's id in decimal, as the
// dialog that shows it gives the name.
template <int id>
constexpr std::array<char, 12> kBitmapName = [] {
    static_assert(id > 0);
    std::array<char, 12> name{};
    int digits = 0;
    for (int n = id; n > 0; n /= 10)
        ++digits;
    for (int n = id; n > 0; n /= 10)
        name[--digits] = static_cast<char>('0' + n % 10);
    return name;
}();

// The controls the viewer addresses go by their names in resource.h; the others keep the
// ids they were given, which nothing looks up.

// The about box: the picture on the left, OK at the bottom right.
const KXDLGCONTROL kAbout[] = {
    {PushButton, IDOK, "OK", 257, 134, 50, 14, KXS_DEFAULT},
    {Static, -1, kBitmapName<IDB_ABOUT>.data(), 0, 1, 213, 148, KXS_BITMAP | KXS_CENTERIMAGE},
};

const KXDLGCONTROL kResize[] = {
    {PushButton, IDOK, "OK", 35, 69, 50, 14, KXS_DEFAULT},
    {PushButton, IDCANCEL, "Cancel", 94, 69, 50, 14},
    {Edit, IDC_RESIZE_WIDTH, "", 63, 10, 40, 14},
    {Static, -1, "Width:", 18, 15, 22, 8},
    {Static, -1, "Height:", 17, 31, 24, 8},
    {Edit, IDC_RESIZE_HEIGHT, "", 63, 28, 40, 14},
};

const KXDLGCONTROL kJpeg[] = {
    {PushButton, IDOK, "OK", 22, 69, 50, 14},
    {PushButton, IDCANCEL, "Cancel", 89, 69, 50, 14},
    {Trackbar, IDC_JPEG_QUANTIZER, "Slider1", 7, 28, 99, 28, KXS_TICKS},
    {Radio, 1003, "RGB 24 bits", 113, 30, 50, 13, KXS_GROUP},
    {Radio, 1004, "YUV 24 bits", 113, 41, 50, 13},
    {Static, IDC_JPEG_QUANTIZERTEXT, "Quantizer: 1", 13, 15, 62, 8},
    {Static, 1006, "Pixel Format:", 115, 15, 41, 8},
};

const KXDLGCONTROL kOptions[] = {
    {PushButton, IDOK, "OK", 45, 193, 50, 14},
    {PushButton, IDCANCEL, "Cancel", 134, 193, 50, 14},
    {Static, -1, "Quick load files", 133, 7, 49, 8},
    {ListBox, 1012, "", 7, 18, 79, 103, KXS_SORTED},
    {ListBox, 1013, "", 129, 19, 77, 103, KXS_SORTED},
    {Static, -1, "Supported files:", 7, 7, 50, 8},
    {PushButton, 1014, ">>", 93, 50, 29, 14},
    {PushButton, 1015, "<<", 93, 67, 29, 14},
};

// Its list keeps the order its lines come in; their tabs advance to the short stops every
// list box has.
const KXDLGCONTROL kProperties[] = {
    {PushButton, IDOK, "OK", 129, 121, 50, 14},
    {ListBox, IDC_PROPERTIES_LIST, "", 7, 7, 172, 107},
};

// Its trackbars are plain, without the Jpeg quantizer's tick marks.
const KXDLGCONTROL kVorn[] = {
    {PushButton, IDOK, "OK", 31, 116, 50, 14},
    {PushButton, IDCANCEL, "Cancel", 97, 116, 50, 14},
    {Trackbar, IDC_VORN_SIMILARITY, "Slider1", 7, 23, 99, 28},
    {Radio, IDC_VORN_DOTS, "Dots", 113, 30, 50, 13, KXS_GROUP},
    {Radio, IDC_VORN_POLYGONS, "Polygons", 113, 41, 50, 13},
    {Static, 1005, "Color similarity:", 13, 15, 62, 8},
    {Static, 1006, "Mode:", 115, 15, 21, 8},
    {Static, -1, "Nb Polygons:", 13, 92, 43, 8},
    {Edit, IDC_VORN_GENES, "", 60, 90, 40, 14},
    {Trackbar, IDC_VORN_FITNESS, "Slider1", 7, 60, 99, 28},
    {Static, 1007, "Fitness method (perim/surf)", 13, 52, 92, 8},
};

struct ENTRY {
    int id;
    KXDLGTEMPLATE layout;
};

const ENTRY kTemplates[] = {
    {IDD_ABOUTBOX, {"About Pelisk", 357, 150, kFont, kPointSize, kAbout}},
    {IDD_RESIZE, {"Resize image", 186, 90, kFont, kPointSize, kResize}},
    {IDD_JPEG, {"Jpeg properties", 186, 90, kFont, kPointSize, kJpeg}},
    {IDD_OPTIONS, {"Options...", 258, 214, kFont, kPointSize, kOptions}},
    {IDD_PROPERTIES, {"Picture Properties...", 186, 142, kFont, kPointSize, kProperties}},
    {IDD_VORN, {"VORN properties", 186, 137, kFont, kPointSize, kVorn}},
};

} // namespace

const KXDLGTEMPLATE* FindDialogTemplate(int id)
{
    for (const ENTRY& entry : kTemplates)
        if (entry.id == id)
            return &entry.layout;
    return nullptr;
}
