#include "platform/qtdialogs.h"

#include "platform/colorref.h"
#include "platform/fontspec.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

namespace
{

QWidget* dialogParent()
{
    if (QWidget* w = QApplication::activeModalWidget())
        return w;
    return QApplication::activeWindow();
}

QString withBothCases(const QString& patterns)
{
    QStringList out;
    for (const QString& p : patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        for (const QString& v : {p, p.toLower(), p.toUpper()}) {
            if (!out.contains(v))
                out << v;
        }
    }
    return out.join(QLatin1Char(' '));
}

} // namespace

QString QtDialogs::displayText(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

QStringList QtDialogs::qtNameFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        const QString patterns =
            withBothCases(QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')));
        const int paren = label.indexOf(QLatin1Char('('));
        if (paren >= 0)
            label = label.left(paren).trimmed();
        result << label + QLatin1String(" (") + patterns + QLatin1Char(')');
    }
    return result;
}

int QtDialogs::msgBox(const QString& text, int style, const QString& title)
{
    QMessageBox box(dialogParent());
    box.setWindowTitle(title);
    box.setText(displayText(text));
    switch (style & 0x70) {
    case vbCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case vbQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case vbExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case vbInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    struct Btn {
        QMessageBox::StandardButton qt;
        int result;
    };
    QList<Btn> buttons;
    switch (style & 0x7) {
    case vbOKCancel:
        buttons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
        break;
    case vbAbortRetryIgnore:
        buttons = {{QMessageBox::Abort, vbAbort},
                   {QMessageBox::Retry, vbRetry},
                   {QMessageBox::Ignore, vbIgnore}};
        break;
    case vbYesNoCancel:
        buttons = {
            {QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
        break;
    case vbYesNo:
        buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
        break;
    case vbRetryCancel:
        buttons = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
        break;
    default:
        buttons = {{QMessageBox::Ok, vbOK}};
        break;
    }
    QMessageBox::StandardButtons set;
    for (const Btn& b : buttons)
        set |= b.qt;
    box.setStandardButtons(set);
    const int defaultIndex = (style & 0x300) >> 8;
    box.setDefaultButton(buttons.value(defaultIndex, buttons.first()).qt);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const Btn& b : buttons) {
        if (b.qt == clicked)
            return b.result;
    }
    // Closed without a button: the answer that changes nothing.
    for (const Btn& b : buttons) {
        if (b.result == vbCancel || b.result == vbNo)
            return b.result;
    }
    return buttons.first().result;
}

QString QtDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(dialogParent(), title, displayText(prompt),
                                               QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

FileDialogAnswer QtDialogs::fileDialog(const FileDialogRequest& request, bool save)
{
    QFileDialog dialog(dialogParent(), request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(request.filterIndex - 1, filters.first()));
        // A name typed without extension gets the selected filter's own.
        const QStringList parts = request.filter.split(QLatin1Char('|'));
        auto suffixOf = [&parts](int index) {
            const QString patterns = parts.value(2 * index + 1);
            return patterns.startsWith(QLatin1String("*."))
                       ? patterns.mid(2).section(QLatin1Char(';'), 0, 0)
                       : QString();
        };
        if (save) {
            dialog.setDefaultSuffix(
                suffixOf(std::max(0, int(filters.indexOf(dialog.selectedNameFilter())))));
            QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                             [&dialog, filters, suffixOf](const QString& filter) {
                                 dialog.setDefaultSuffix(
                                     suffixOf(std::max(0, int(filters.indexOf(filter)))));
                             });
        }
    }
    if (save && !(request.flags & cdlOFNOverwritePrompt))
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    QString dir = request.initialDir.isEmpty() ? QDir::currentPath() : request.initialDir;
    QFileInfo preset(request.fileName);
    if (!request.fileName.isEmpty() && preset.isAbsolute())
        dir = preset.absolutePath();
    dialog.setDirectory(dir);
    if (!request.fileName.isEmpty())
        dialog.selectFile(preset.fileName());
    FileDialogAnswer answer;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        answer.accepted = true;
        answer.path = dialog.selectedFiles().first();
        answer.filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    }
    return answer;
}

FileDialogAnswer QtDialogs::openFile(const FileDialogRequest& request)
{
    return fileDialog(request, false);
}

FileDialogAnswer QtDialogs::saveFile(const FileDialogRequest& request)
{
    return fileDialog(request, true);
}

std::optional<FontSpec> QtDialogs::chooseFont(const FontSpec& preset)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, fontWithSpec(QFont(), preset), dialogParent(),
                                              QString(), QFontDialog::DontUseNativeDialog);
    if (!ok)
        return std::nullopt;
    return fontSpecOf(chosen);
}

std::optional<quint32> QtDialogs::chooseColor(quint32 preset)
{
    const QColor chosen = QColorDialog::getColor(colorFromRef(preset), dialogParent(), QString(),
                                                 QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid())
        return std::nullopt;
    return colorRef(chosen);
}
