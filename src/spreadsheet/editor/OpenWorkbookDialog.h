#pragma once

#include "platform/widgets/DialogCard.h"
#include "platform/widgets/FileList.h"

#include <QStringList>

class FolderLocationRow;
class QPushButton;

// The "ドキュメントを開く" card: the folder row, the list of openable files
// (150 pixels high, a click on a row emits openRequested with its path)
// and "キャンセル". Opening leaves closing to the owner, who keeps the card
// open when the file cannot be read.
class OpenWorkbookDialog : public DialogCard
{
    Q_OBJECT
public:
    explicit OpenWorkbookDialog(QWidget *parent);

    void setLocation(const QString &folder);
    // Shows one row per path, in the given order, named by the file name:
    // a text symbol for CSV files, a table for the others.
    void setFiles(const QStringList &paths);
    QStringList files() const;

    FileList *fileList() const { return m_fileList; }
    FolderLocationRow *locationRow() const { return m_locationRow; }
    QPushButton *cancelButton() const { return m_cancelButton; }

signals:
    void chooseFolderRequested();
    void openRequested(const QString &path);

private:
    FolderLocationRow *m_locationRow;
    FileList *m_fileList;
    QPushButton *m_cancelButton;
};
