#include "FolderChooser.h"

#include <QFileDialog>

FolderChooser systemFolderChooser()
{
    return [](QWidget *parent, const QString &start) {
        return QFileDialog::getExistingDirectory(parent, QString(), start,
                                                 QFileDialog::ShowDirsOnly);
    };
}
