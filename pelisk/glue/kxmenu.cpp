#include "kxmenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <vector>

namespace {

constexpr unsigned noCommand = 0xFFFFFFFF;

QAction* ActionAt(QWidget* menu, int position)
{
    const QList<QAction*> actions = menu->actions();
    return position >= 0 && position < actions.size() ? actions[position] : nullptr;
}

} // namespace

int KXMENU::GetItemCount() const
{
    return IsValid() ? static_cast<int>(widget->actions().size()) : 0;
}

KXMENU KXMENU::GetSubMenu(int position) const
{
    QAction* action = IsValid() ? ActionAt(widget, position) : nullptr;
    if (action == nullptr || action->menu() == nullptr)
        return {};
    return {action->menu(), handler};
}

unsigned KXMENU::GetItemID(int position) const
{
    QAction* action = IsValid() ? ActionAt(widget, position) : nullptr;
    if (action == nullptr || action->menu() != nullptr)
        return noCommand;
    return action->data().toUInt();
}

bool KXMENU::EnableItemByPosition(int position, bool enable)
{
    QAction* action = IsValid() ? ActionAt(widget, position) : nullptr;
    if (action == nullptr)
        return false;
    action->setEnabled(enable);
    return true;
}

KXMENU KXMENU::InsertPopup(int position, const char* text)
{
    if (!IsValid())
        return {};
    auto* popup = new QMenu(QString::fromLatin1(text), widget);
    widget->insertAction(ActionAt(widget, position), popup->menuAction());
    return {popup, handler};
}

void KXMENU::AppendItem(const char* text, unsigned id)
{
    if (IsValid())
        widget->addAction(NewItem(text, id));
}

bool KXMENU::ModifyItem(int position, const char* text, unsigned id)
{
    QAction* old = IsValid() ? ActionAt(widget, position) : nullptr;
    if (old == nullptr)
        return false;
    widget->insertAction(old, NewItem(text, id));
    widget->removeAction(old);
    // A pop-up's action belongs to its menu; a plain item to this menu.
    if (old->menu() != nullptr)
        old->menu()->deleteLater();
    else
        old->deleteLater();
    return true;
}

bool KXMENU::CheckItemByPosition(int position, bool check)
{
    QAction* action = IsValid() ? ActionAt(widget, position) : nullptr;
    if (action == nullptr)
        return false;
    action->setCheckable(check || action->isCheckable());
    action->setChecked(check);
    return true;
}

QAction* KXMENU::NewItem(const char* text, unsigned id) const
{
    auto* item = new QAction(QString::fromLatin1(text), widget);
    item->setData(id);
    // The id is read when the item is chosen, so that ModifyItem can change it.
    QObject::connect(item, &QAction::triggered, item,
                     [command = handler, item] { (*command)(item->data().toUInt()); });
    return item;
}

void KXMENU::Add(const KXMENUITEM& line)
{
    if (line.kind == KXMENUKIND::Separator) {
        auto* separator = new QAction(widget);
        separator->setSeparator(true);
        widget->addAction(separator);
    } else {
        widget->addAction(NewItem(line.text, line.id));
    }
}

KXMENU BuildMenuBar(QMenuBar* bar, std::span<const KXMENUITEM> table, KXCOMMANDHANDLER onCommand)
{
    KXMENU root(bar, std::make_shared<KXCOMMANDHANDLER>(std::move(onCommand)));
    // The menu each level adds to: the bar, then the pop-ups opened on the way down.
    std::vector<KXMENU> open{root};
    for (const KXMENUITEM& line : table) {
        open.resize(std::min<std::size_t>(open.size(), line.level + 1));
        KXMENU& parent = open.back();
        if (line.kind == KXMENUKIND::Popup)
            open.push_back(parent.InsertPopup(parent.GetItemCount(), line.text));
        else
            parent.Add(line);
    }
    return root;
}
