#include "platform/commondialog.h"

#include <QFileInfo>

QString CommonDialog::FileTitle() const
{
    return QFileInfo(FileName).fileName();
}

bool CommonDialog::ShowOpen()
{
    return show(false);
}

bool CommonDialog::ShowSave()
{
    return show(true);
}

bool CommonDialog::show(bool save)
{
    FileDialogRequest request;
    request.title = DialogTitle;
    request.fileName = FileName;
    request.filter = Filter;
    request.filterIndex = FilterIndex;
    request.flags = Flags;
    request.initialDir = InitDir;
    const FileDialogAnswer answer =
        save ? m_dialogs.saveFile(request) : m_dialogs.openFile(request);
    if (!answer.accepted)
        return !CancelError;
    FileName = answer.path;
    if (answer.filterIndex > 0)
        FilterIndex = answer.filterIndex;
    return true;
}
