// Menus built from a table with the system's command ids, and addressed the way the
// system addresses them: by position, separators counted.
#pragma once

#include <functional>
#include <memory>
#include <span>

class QAction;
class QMenuBar;
class QWidget;

enum class KXMENUKIND { Popup, Item, Separator };

// One line of a menu table. Level 0 lines stand in the menu bar; the lines after a pop-up
// one level deeper are its items. Texts keep the system's mnemonics ("&File"; "&&" for an
// ampersand).
struct KXMENUITEM {
    int level;
    KXMENUKIND kind;
    const char* text = nullptr;
    unsigned id = 0;
};

// What a chosen item does: it hands its command id over.
using KXCOMMANDHANDLER = std::function<void(unsigned id)>;

// A menu bar or a pop-up menu; an invalid one stands for a pop-up that is not there.
class KXMENU {
public:
    KXMENU() = default;

    bool IsValid() const { return widget != nullptr; }
    int GetItemCount() const;
    // The pop-up at position, or an invalid menu when the item there is none.
    KXMENU GetSubMenu(int position) const;
    // The command id of the item at position; 0xFFFFFFFF for a pop-up or no item.
    unsigned GetItemID(int position) const;
    // Greys (or restores) the item at position; for a pop-up that is the whole menu.
    bool EnableItemByPosition(int position, bool enable);
    // A new, empty pop-up inserted before position (at the end when past it).
    KXMENU InsertPopup(int position, const char* text);
    void AppendItem(const char* text, unsigned id);
    // Turns the item at position into a plain item with that text and command id.
    bool ModifyItem(int position, const char* text, unsigned id);
    // Puts a check mark on the item at position, or takes it off.
    bool CheckItemByPosition(int position, bool check);

private:
    friend KXMENU BuildMenuBar(QMenuBar*, std::span<const KXMENUITEM>, KXCOMMANDHANDLER);
    KXMENU(QWidget* widget, std::shared_ptr<KXCOMMANDHANDLER> handler)
        : widget(widget), handler(std::move(handler))
    {}
    void Add(const KXMENUITEM& line);
    QAction* NewItem(const char* text, unsigned id) const;

    QWidget* widget = nullptr;
    std::shared_ptr<KXCOMMANDHANDLER> handler;
};

// Fills bar from the table; every item chosen afterwards calls onCommand with its id.
KXMENU BuildMenuBar(QMenuBar* bar, std::span<const KXMENUITEM> table, KXCOMMANDHANDLER onCommand);
