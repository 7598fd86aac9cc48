#pragma once

#include "platform/widgets/DialogCard.h"

#include <QStringList>

class FileList;
class FolderLocationRow;
class QPushButton;

// The "スライド読み込み" card: the folder row, the files of the folder (200
// high, a "doc.richtext" symbol per row) and "閉じる". A click on a row emits
// openRequested; the screen closes the card when the open succeeded.
class OpenPresentationDialog : public DialogCard
{
    Q_OBJECT
public:
    explicit OpenPresentationDialog(QWidget *parent);

    void setLocation(const QString &folder);
    void setFiles(const QStringList &paths);
    QStringList files() const;

    FileList *fileList() const { return m_fileList; }
    FolderLocationRow *locationRow() const { return m_locationRow; }
    QPushButton *closeButton() const { return m_closeButton; }

signals:
    void chooseFolderRequested();
    void openRequested(const QString &path);

private:
    FolderLocationRow *m_locationRow;
    FileList *m_fileList;
    QPushButton *m_closeButton;
};
