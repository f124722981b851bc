// Menus from a table: structure, command ids, mnemonics, greying, run-time pop-ups.
#include "kxmenu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <vector>

namespace {

using enum KXMENUKIND;

// The shape of the viewer's main menu.
const KXMENUITEM mainMenu[] = {
    {0, Popup, "&File"},
    {1, Item, "&Open...", 57601},
    {1, Item, "&Save as...", 32773},
    {1, Separator},
    {1, Item, "&Exit", 32771},
    {0, Popup, "&Edit"},
    {1, Item, "&Properties...", 32784},
    {0, Popup, "&Image"},
    {1, Item, "&VFlip", 32775},
    {1, Item, "&Resize...", 32776},
    {1, Item, "&Double size && blur", 32778},
    {1, Popup, "&Mode"},
    {2, Item, "&Zoom", 32785},
    {1, Item, "&Projet VORN", 32788},
    {0, Popup, "3&D"},
    {1, Popup, "Options"},
    {2, Item, "Antialiasing", 32780},
    {2, Popup, "Rendering method"},
    {3, Item, "Wireframe", 32781},
    {3, Item, "Flat", 32782},
    {3, Item, "Normal", 32783},
    {1, Separator},
    {1, Item, "Run renderer demo", 32779},
    {0, Item, "&Plugins", 65535},
    {0, Popup, "&Help"},
    {1, Item, "&About", 32774},
};

class Menus : public testing::Test {
protected:
    // Chooses the item at the path of positions, as a click would.
    void Choose(std::initializer_list<int> positions)
    {
        QWidget* menu = &bar;
        QAction* action = nullptr;
        for (int position : positions) {
            action = menu->actions().at(position);
            if (action->menu() != nullptr)
                menu = action->menu();
        }
        action->trigger();
    }

    QMenuBar bar;
    std::vector<unsigned> commands;
    KXMENU menu = BuildMenuBar(&bar, mainMenu, [this](unsigned id) { commands.push_back(id); });
};

TEST_F(Menus, TableBecomesTheMenuBarWithItsIdsAndMnemonics)
{
    QStringList titles;
    for (QAction* action : bar.actions())
        titles << action->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&Image", "3&D", "&Plugins", "&Help"}));
    EXPECT_EQ(QKeySequence::mnemonic(bar.actions()[3]->text()), QKeySequence(Qt::ALT | Qt::Key_D));

    const KXMENU file = menu.GetSubMenu(0);
    ASSERT_EQ(file.GetItemCount(), 4);
    EXPECT_EQ(file.GetItemID(0), 57601u);
    EXPECT_TRUE(file.GetSubMenu(0).IsValid() == false);
    EXPECT_TRUE(bar.actions()[0]->menu()->actions()[2]->isSeparator());
    EXPECT_EQ(menu.GetItemID(0), 0xFFFFFFFFu) << "a pop-up has no command id";
    EXPECT_EQ(menu.GetItemID(4), 65535u);
    EXPECT_EQ(menu.GetSubMenu(2).GetSubMenu(3).GetItemID(0), 32785u);
    EXPECT_EQ(menu.GetSubMenu(2).GetItemID(4), 32788u) << "after the sub-menu";

    Choose({0, 3});
    Choose({2, 3, 0});
    Choose({3, 0, 1, 2});
    Choose({4});
    EXPECT_EQ(commands, (std::vector<unsigned>{32771, 32785, 32783, 65535}));
    EXPECT_EQ(bar.actions()[2]->menu()->actions()[2]->text(), "&Double size && blur");
}

TEST_F(Menus, WholeTopLevelMenuGreysAndRendererPopupGrowsAtRunTime)
{
    EXPECT_TRUE(menu.EnableItemByPosition(3, false));
    EXPECT_FALSE(bar.actions()[3]->isEnabled());
    EXPECT_TRUE(menu.EnableItemByPosition(3, true));
    EXPECT_TRUE(bar.actions()[3]->isEnabled());
    EXPECT_FALSE(menu.EnableItemByPosition(6, false));

    KXMENU renderers = menu.GetSubMenu(3).InsertPopup(0, "Installed Renderers");
    renderers.AppendItem("KX Raytracer", 33000);
    renderers.AppendItem("Other", 33001);
    EXPECT_EQ(bar.actions()[3]->menu()->actions()[0]->text(), "Installed Renderers");
    EXPECT_EQ(menu.GetSubMenu(3).GetItemCount(), 4);
    EXPECT_EQ(menu.GetSubMenu(3).GetSubMenu(0).GetItemID(1), 33001u);
    Choose({3, 0, 0});

    // Rewritten items keep their places but deliver their new ids.
    EXPECT_TRUE(renderers.ModifyItem(0, "", 0));
    EXPECT_EQ(renderers.GetItemCount(), 2);
    EXPECT_EQ(renderers.GetItemID(0), 0u);
    Choose({3, 0, 0});
    EXPECT_EQ(commands, (std::vector<unsigned>{33000, 0}));
    EXPECT_FALSE(renderers.ModifyItem(2, "", 0));
}

} // namespace
