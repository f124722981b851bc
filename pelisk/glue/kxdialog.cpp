#include "kxdialog.h"

#include "kxnomemory.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QTextOption>

#include <cmath>
#include <cstdint>

namespace {

// a × b / c rounded to the nearest integer, halves away from zero (c > 0).
int MulDiv(int a, int b, int c)
{
    const std::int64_t product = std::int64_t{a} * b;
    return static_cast<int>((product >= 0 ? product + c / 2 : product - c / 2) / c);
}

// How far a tab in a list box's line advances, in dialog units: three average characters.
constexpr int kListTabUnits = 12;

// Draws a list box's lines with short tab stops. The toolkit's own stops lie eight
// characters apart, which pushes the values of lines such as "Width:", four tabs, "100"
// past the right edge of a list sized for them.
class KXLISTLINES final : public QStyledItemDelegate {
public:
    KXLISTLINES(int tabStop, QObject* parent) : QStyledItemDelegate(parent), tabStop(tabStop) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QString text = item.text;
        // The style draws the background, the selection and the focus; the text follows.
        item.text.clear();
        const QWidget* widget = item.widget;
        QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
        const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
        painter->save();
        const bool selected = item.state & QStyle::State_Selected;
        painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(item.font);
        painter->drawText(area.adjusted(kTextMargin, 0, -kTextMargin, 0), text, TextOption());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QRectF text = QFontMetricsF(item.font).boundingRect(
            QRectF(0, 0, 1e6, 1e6), Qt::TextExpandTabs | Qt::TextSingleLine, item.text, tabStop);
        const QSize base = QStyledItemDelegate::sizeHint(option, index);
        return QSize(static_cast<int>(std::ceil(text.width())) + 2 * kTextMargin + 2,
                     base.height());
    }

private:
    static constexpr int kTextMargin = 3;

    QTextOption TextOption() const
    {
        QTextOption textOption(Qt::AlignLeft | Qt::AlignVCenter);
        textOption.setWrapMode(QTextOption::NoWrap);
        textOption.setTabStopDistance(tabStop);
        return textOption;
    }

    int tabStop;
};

} // namespace

// The system's base units of a font: the average width of the Latin letters, rounded,
// and the height of a line.
QSize DialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return QSize((letters / 26 + 1) / 2, metrics.height());
}

KXDIALOG::KXDIALOG(const KXDLGTEMPLATE& layout, QWidget* parent) : QDialog(parent)
{
    // Every template asks for a modal frame with a caption and a system menu: a close
    // box, and no minimise or maximise button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromLatin1(layout.caption));
    setFont(QFont(QString::fromLatin1(layout.font), layout.pointSize));
    baseUnits = DialogBaseUnits(font());
    setFixedSize(MapDialogRect(QRect(0, 0, layout.cx, layout.cy)).size());
    bool afterRadio = false;
    for (const KXDLGCONTROL& control : layout.controls) {
        // A radio button joins the group of the one before it unless it starts a group.
        const bool radio = control.kind == KXCONTROL::Radio;
        QWidget* widget = MakeControl(control, afterRadio && !(control.style & KXS_GROUP));
        afterRadio = radio;
        widget->setGeometry(MapDialogRect(QRect(control.x, control.y, control.cx, control.cy)));
        if (control.id != -1)
            items.emplace(control.id, widget);
        if (control.kind == KXCONTROL::Static && (control.style & KXS_BITMAP))
            bitmaps.emplace(control.text, widget);
    }
}

QWidget* KXDIALOG::MakeControl(const KXDLGCONTROL& control, bool joinsGroup)
{
    const QString text = QString::fromLatin1(control.text != nullptr ? control.text : "");
    switch (control.kind) {
    case KXCONTROL::Static: {
        // A bitmap static shows nothing until its bitmap is given.
        auto* label = new QLabel((control.style & KXS_BITMAP) ? QString() : text, this);
        label->setWordWrap(true);
        label->setAlignment((control.style & KXS_CENTERIMAGE) ? Qt::AlignCenter
                                                              : Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case KXCONTROL::Edit:
        return new QLineEdit(text, this);
    case KXCONTROL::ListBox: {
        auto* list = new QListWidget(this);
        list->setSortingEnabled(control.style & KXS_SORTED);
        list->setItemDelegate(
            new KXLISTLINES(MapDialogRect(QRect(0, 0, kListTabUnits, 0)).width(), list));
        return list;
    }
    case KXCONTROL::Trackbar: {
        // A trackbar runs from 0 to 100 until it is told otherwise.
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(0, 100);
        if (control.style & KXS_TICKS)
            slider->setTickPosition(QSlider::TicksBothSides);
        return slider;
    }
    case KXCONTROL::Radio:
        return MakeRadio(control, joinsGroup);
    case KXCONTROL::PushButton:
        break;
    }
    return MakeButton(control);
}

QWidget* KXDIALOG::MakeRadio(const KXDLGCONTROL& control, bool joinsGroup)
{
    auto* radio = new QRadioButton(QString::fromLatin1(control.text), this);
    // Groups, not all radios of the dialog, exclude each other.
    radio->setAutoExclusive(false);
    if (!joinsGroup || radioGroups.empty())
        radioGroups.emplace_back(control.id, new QButtonGroup(this));
    radioGroups.back().second->addButton(radio);
    return radio;
}

QWidget* KXDIALOG::MakeButton(const KXDLGCONTROL& control)
{
    auto* button = new QPushButton(QString::fromLatin1(control.text), this);
    button->setDefault(control.style & KXS_DEFAULT);
    const int id = control.id;
    connect(button, &QPushButton::clicked, this, [this, id] {
        RunContained([this, id] {
            if (id == IDOK)
                OnOK();
            else if (id == IDCANCEL)
                done(id);
            else
                OnCommand(id);
        });
    });
    return button;
}

int KXDIALOG::DoModal()
{
    OnInitDialog();
    return exec();
}

void KXDIALOG::OnOK()
{
    UpdateData(true);
    done(IDOK);
}

void KXDIALOG::SetBitmap(const char* name, const QImage& image)
{
    // At its own size, clipped by the static and centred in it when the style says so.
    const QPixmap pixmap = QPixmap::fromImage(image);
    const auto [first, last] = bitmaps.equal_range(name);
    for (auto named = first; named != last; ++named)
        if (auto* label = qobject_cast<QLabel*>(named->second))
            label->setPixmap(pixmap);
}

QRect MapDialogUnits(const QRect& units, const QSize& baseUnits)
{
    const int left = MulDiv(units.left(), baseUnits.width(), 4);
    const int top = MulDiv(units.top(), baseUnits.height(), 8);
    const int right = MulDiv(units.left() + units.width(), baseUnits.width(), 4);
    const int bottom = MulDiv(units.top() + units.height(), baseUnits.height(), 8);
    return QRect(left, top, right - left, bottom - top);
}

QRect KXDIALOG::MapDialogRect(const QRect& units) const
{
    return MapDialogUnits(units, baseUnits);
}

QWidget* KXDIALOG::GetDlgItem(int id) const
{
    const auto found = items.find(id);
    return found != items.end() ? found->second : nullptr;
}

void KXDIALOG::SetDlgItemText(int id, const QString& text)
{
    QWidget* item = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(item))
        edit->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(item))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(item))
        button->setText(text);
}

QString KXDIALOG::GetDlgItemText(int id) const
{
    QWidget* item = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(item))
        return edit->text();
    if (auto* label = qobject_cast<QLabel*>(item))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(item))
        return button->text();
    return {};
}

void KXDIALOG::SetSliderRange(int id, int minimum, int maximum)
{
    if (auto* slider = qobject_cast<QSlider*>(GetDlgItem(id)))
        slider->setRange(minimum, maximum);
}

void KXDIALOG::SetSliderPos(int id, int position)
{
    if (auto* slider = qobject_cast<QSlider*>(GetDlgItem(id)))
        slider->setValue(position);
}

int KXDIALOG::GetSliderPos(int id) const
{
    auto* slider = qobject_cast<QSlider*>(GetDlgItem(id));
    return slider != nullptr ? slider->value() : 0;
}

QButtonGroup* KXDIALOG::RadioGroup(int firstId) const
{
    for (const auto& [id, group] : radioGroups)
        if (id == firstId)
            return group;
    return nullptr;
}

void KXDIALOG::SetRadioIndex(int firstId, int index)
{
    QButtonGroup* group = RadioGroup(firstId);
    if (group == nullptr)
        return;
    // An exclusive group refuses to lose its checked button: -1 needs it lifted a moment.
    group->setExclusive(false);
    const QList<QAbstractButton*> buttons = group->buttons();
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setChecked(i == index);
    group->setExclusive(true);
}

int KXDIALOG::GetRadioIndex(int firstId) const
{
    const QButtonGroup* group = RadioGroup(firstId);
    if (group == nullptr)
        return -1;
    const QList<QAbstractButton*> buttons = group->buttons();
    for (int i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked())
            return i;
    return -1;
}

void KXDIALOG::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A focused push button takes Enter for itself; anywhere else Enter means OK.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        else
            OnOK();
        return;
    case Qt::Key_Escape:
        done(IDCANCEL);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool KXDIALOG::event(QEvent* event)
{
    // The dialog's handlers (keys, paint) run from here: what one cannot get memory for
    // ends here, told, and the dialog stays open.
    bool handled = true;
    RunContained([&] { handled = QDialog::event(event); });
    return handled;
}

void KXDIALOG::reject()
{
    done(IDCANCEL);
}
