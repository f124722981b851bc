// Modal dialogs laid out from the system's dialog templates: positions and sizes in dialog
// units, turned into pixels with the base units of the template's font, as the system
// does. Enter ends a dialog as OK (1) and Escape as Cancel (2).
#pragma once

#include <QDialog>
#include <QList>
#include <QRect>
#include <QSize>

#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

class QButtonGroup;
class QImage;
class QRadioButton;

enum class KXCONTROL { Static, Edit, ListBox, Trackbar, Radio, PushButton };

// Styles of the controls that change what they are or do.
constexpr unsigned KXS_DEFAULT = 0x1;      // push button: the default button
constexpr unsigned KXS_GROUP = 0x2;        // radio: starts a new group
constexpr unsigned KXS_SORTED = 0x4;       // list box: keeps its strings sorted
constexpr unsigned KXS_TICKS = 0x8;        // trackbar: tick marks on both sides
constexpr unsigned KXS_CENTERIMAGE = 0x10; // static: its picture centred
constexpr unsigned KXS_BITMAP = 0x20;      // static: shows the bitmap its text names, at its size

struct KXDLGCONTROL {
    KXCONTROL kind;
    int id; // -1 for a static nobody addresses
    const char* text;
    int x, y, cx, cy; // dialog units
    unsigned style = 0;
};

struct KXDLGTEMPLATE {
    const char* caption;
    int cx, cy; // client area, dialog units
    const char* font;
    int pointSize;
    std::span<const KXDLGCONTROL> controls;
};

// Pixels of a rectangle in dialog units, as the system maps them with a font's base units:
// x by a quarter of the average character width, y by an eighth of the line height, each
// edge rounded on its own.
QRect MapDialogUnits(const QRect& units, const QSize& baseUnits);
// The base units of a font: the average width of its Latin letters and its line height.
QSize DialogBaseUnits(const QFont& font);

class KXDIALOG : public QDialog {
public:
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;

    explicit KXDIALOG(const KXDLGTEMPLATE& layout, QWidget* parent = nullptr);

    // Runs the dialog modally: OnInitDialog, then until OK or Cancel ends it. Returns the
    // id of the button that ended it (IDOK or IDCANCEL).
    int DoModal();
    // Moves the members into the controls (save false) or the controls into the members
    // (save true), through DoDataExchange.
    void UpdateData(bool save) { DoDataExchange(save); }
    // Ends a running dialog with result.
    void EndDialog(int result) { done(result); }

    // Pixels of a dialog-unit rectangle, as the system maps them.
    QRect MapDialogRect(const QRect& units) const;
    // Average character width and height of the dialog's font.
    QSize GetBaseUnits() const { return baseUnits; }
    QWidget* GetDlgItem(int id) const;

    // The data of the controls, by id.
    void SetDlgItemText(int id, const QString& text);
    QString GetDlgItemText(int id) const;
    void SetSliderRange(int id, int minimum, int maximum);
    void SetSliderPos(int id, int position);
    int GetSliderPos(int id) const;
    // Shows image in every bitmap static whose text names it.
    void SetBitmap(const char* name, const QImage& image);
    // Checks radio index of the group that starts at firstId; -1 checks none.
    void SetRadioIndex(int firstId, int index);
    // The checked radio's index in the group that starts at firstId, -1 for none.
    int GetRadioIndex(int firstId) const;

protected:
    // Runs when the dialog is about to show, after its controls exist: the members go into
    // the controls. A dialog that overrides it calls it, after anything that bounds the
    // members' values there (a slider's range).
    virtual void OnInitDialog() { UpdateData(false); }
    // Exchanges the members with their controls; the base has none.
    virtual void DoDataExchange(bool /*save*/) {}
    // OK: the controls go into the members, then the dialog ends with IDOK.
    virtual void OnOK();
    // A push button other than OK and Cancel was pressed.
    virtual void OnCommand(int /*id*/) {}

    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    QWidget* MakeControl(const KXDLGCONTROL& control, bool joinsGroup);
    QWidget* MakeRadio(const KXDLGCONTROL& control, bool joinsGroup);
    QWidget* MakeButton(const KXDLGCONTROL& control);
    // The group whose first radio button has firstId; null when there is none.
    QButtonGroup* RadioGroup(int firstId) const;

    QSize baseUnits;
    // Standard containers: the toolkit's own end the program when memory runs out while
    // they grow, where these throw and the dialog is not made.
    std::map<int, QWidget*> items;
    // The bitmap statics, by the bitmap they name.
    std::multimap<std::string, QWidget*> bitmaps;
    // Each radio group with the id of its first button, in template order.
    std::vector<std::pair<int, QButtonGroup*>> radioGroups;
};
