#include "kxqtsysdlg.h"

#include "kxnomemory.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace {

// The window a box is placed over. Whatever it is, the box blocks every window of the
// program while it is open.
QWidget* Owner()
{
    return QApplication::activeWindow();
}

class QTSYSDIALOGS final : public KXSYSDIALOGS {
public:
    void MessageBox(const char* text, const char* caption) override
    {
        QMessageBox box(QMessageBox::NoIcon, QString::fromLocal8Bit(caption),
                        QString::fromLocal8Bit(text), QMessageBox::Ok, Owner());
        box.setWindowModality(Qt::ApplicationModal);
        WidenForCaption(box);
        box.exec();
    }

    KXFILEANSWER ChooseFile(const KXFILEREQUEST& request) override
    {
        QFileDialog dialog(Owner());
        ConfigureFileDialog(dialog, request);
        KXFILEANSWER answer;
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return answer;
        answer.confirmed = true;
        answer.path = dialog.selectedFiles().front().toLocal8Bit().toStdString();
        answer.filterIndex =
            static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) + 1;
        return answer;
    }
};

} // namespace

KXSYSDIALOGS& GetQtSysDialogs()
{
    static QTSYSDIALOGS dialogs;
    return dialogs;
}

int CaptionRoom(const QString& caption, const QFont& font)
{
    // The title bar's font is the window manager's; the box's own font stands in for it,
    // with room for the close, minimise and maximise buttons and the bar's margins.
    constexpr int kTitleBarButtons = 3 * 32 + 48;
    return QFontMetrics(font).horizontalAdvance(caption) + kTitleBarButtons;
}

void WidenForCaption(QMessageBox& box)
{
    // The box takes the width its text needs, and a short text leaves too little for the
    // caption, which the title bar then cuts: a strut across the bottom keeps it wide.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr)
        return;
    grid->addItem(new QSpacerItem(CaptionRoom(box.windowTitle(), box.font()), 0,
                                  QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

QString QtNameFilter(const KXFILEFILTER& filter)
{
    const QString description = QString::fromLocal8Bit(filter.description);
    const QString patterns = QString::fromLocal8Bit(filter.patterns).replace(';', ' ');
    const QString suffix = "(" + patterns + ")";
    return description.endsWith(suffix) ? description : description + " " + suffix;
}

QStringList QtNameFilters(const std::vector<KXFILEFILTER>& filters)
{
    QStringList names;
    for (const KXFILEFILTER& filter : filters)
        names << QtNameFilter(filter);
    return names;
}

void ConfigureFileDialog(QFileDialog& dialog, const KXFILEREQUEST& request)
{
    // The toolkit's own dialog everywhere, so that it behaves the same on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setWindowTitle(QString::fromLocal8Bit(request.title));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.setDirectory(QString::fromLocal8Bit(request.initialDirectory));
    // Patterns match names of any letter case, "*.bmp" also "PHOTO.BMP".
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    const QStringList names = QtNameFilters(request.filters);
    if (names.isEmpty())
        return;
    dialog.setNameFilters(names);
    const int index = request.filterIndex - 1;
    dialog.selectNameFilter(names.value(index >= 0 && index < names.size() ? index : 0));
    if (!request.save)
        return;
    // A name typed without an extension gets the selected filter's before the dialog
    // looks for a file to replace, so that the question names the file that is written.
    const std::vector<KXFILEFILTER> filters = request.filters;
    const auto takeSuffix = [&dialog, filters, names](const QString& selected) {
        const qsizetype at = names.indexOf(selected);
        const std::string extension =
            at >= 0 ? FilterExtension(filters[static_cast<std::size_t>(at)]) : std::string();
        dialog.setDefaultSuffix(QString::fromLocal8Bit(extension).mid(1));
    };
    takeSuffix(dialog.selectedNameFilter());
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [takeSuffix](const QString& selected) {
                         RunContained([&] { takeSuffix(selected); });
                     });
}
