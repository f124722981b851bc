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

// A menu of its own, as small as shows every feature: pop-ups three deep, a separator, an
// item after a sub-menu, a command in the menu bar itself, mnemonics and an ampersand.
const KXMENUITEM table[] = {
    {0, Popup, "&File"},
    {1, Item, "&Open...", 101},
    {1, Separator},
    {1, Item, "E&xit", 102},
    {0, Popup, "&View"},
    {1, Popup, "&Mode"},
    {2, Item, "&Zoom", 201},
    {2, Popup, "&Shading"},
    {3, Item, "&Flat", 202},
    {3, Item, "&Smooth", 203},
    {1, Item, "Size && &blur", 204},
    {0, Item, "&Go", 301},
    {0, Popup, "3&D"},
    {1, Item, "&Run", 401},
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
    KXMENU menu = BuildMenuBar(&bar, table, [this](unsigned id) { commands.push_back(id); });
};

TEST_F(Menus, TableBecomesTheMenuBarWithItsIdsAndMnemonics)
{
    QStringList titles;
    for (QAction* action : bar.actions())
        titles << action->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&View", "&Go", "3&D"}));
    EXPECT_EQ(QKeySequence::mnemonic(bar.actions()[3]->text()), QKeySequence(Qt::ALT | Qt::Key_D));

    const KXMENU file = menu.GetSubMenu(0);
    ASSERT_EQ(file.GetItemCount(), 3);
    EXPECT_EQ(file.GetItemID(0), 101u);
    EXPECT_TRUE(file.GetSubMenu(0).IsValid() == false);
    EXPECT_TRUE(bar.actions()[0]->menu()->actions()[1]->isSeparator());
    EXPECT_EQ(menu.GetItemID(0), 0xFFFFFFFFu) << "a pop-up has no command id";
    EXPECT_EQ(menu.GetItemID(2), 301u);
    EXPECT_EQ(menu.GetSubMenu(1).GetSubMenu(0).GetItemID(0), 201u);
    EXPECT_EQ(menu.GetSubMenu(1).GetSubMenu(0).GetSubMenu(1).GetItemID(1), 203u);
    EXPECT_EQ(menu.GetSubMenu(1).GetItemID(1), 204u) << "after the sub-menu";

    Choose({0, 2});
    Choose({1, 0, 0});
    Choose({1, 0, 1, 1});
    Choose({2});
    EXPECT_EQ(commands, (std::vector<unsigned>{102, 201, 203, 301}));
    EXPECT_EQ(bar.actions()[1]->menu()->actions()[1]->text(), "Size && &blur");
}

TEST_F(Menus, WholeTopLevelMenuGreysAndRendererPopupGrowsAtRunTime)
{
    EXPECT_TRUE(menu.EnableItemByPosition(3, false));
    EXPECT_FALSE(bar.actions()[3]->isEnabled());
    EXPECT_TRUE(menu.EnableItemByPosition(3, true));
    EXPECT_TRUE(bar.actions()[3]->isEnabled());
    EXPECT_FALSE(menu.EnableItemByPosition(4, false)) << "past the last";

    KXMENU renderers = menu.GetSubMenu(3).InsertPopup(0, "Installed Renderers");
    renderers.AppendItem("KX Raytracer", 33000);
    renderers.AppendItem("Other", 33001);
    EXPECT_EQ(bar.actions()[3]->menu()->actions()[0]->text(), "Installed Renderers");
    EXPECT_EQ(menu.GetSubMenu(3).GetItemCount(), 2);
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
