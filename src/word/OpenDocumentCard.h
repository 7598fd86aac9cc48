#pragma once

#include "platform/widgets/DialogCard.h"

class FileList;
class FolderLocationRow;
class QPushButton;

// The open card: "Open Document", the folder row, the list of the folder's
// documents (a "doc.richtext" symbol and the file name per row, 200 high)
// and Cancel. A click on a row asks the screen to open that file.
class OpenDocumentCard : public DialogCard
{
    Q_OBJECT
public:
    explicit OpenDocumentCard(QWidget *parent);

    void setFolder(const QString &folder);
    void setFiles(const QStringList &paths);

    FolderLocationRow *locationRow() const { return m_location; }
    FileList *fileList() const { return m_files; }
    QPushButton *cancelButton() const { return m_cancel; }

signals:
    void folderChangeRequested();
    void fileChosen(const QString &path);

private:
    FolderLocationRow *m_location;
    FileList *m_files;
    QPushButton *m_cancel;
};
