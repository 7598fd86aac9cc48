#pragma once

#include "platform/widgets/DialogCard.h"
#include "platform/widgets/FileList.h"

#include <QStringList>

class FolderLocationRow;
class QPushButton;

// The open card every screen shows: a title, the folder row, the folder's
// files as a list and one button that closes the card. A click on a row
// emits openRequested; the screen closes the card only when the open
// succeeded, and shows a failure on the card's error line.
class OpenFileCard : public DialogCard
{
    Q_OBJECT
public:
    // What differs between the screens' open cards.
    struct Look
    {
        Shape shape;
        QString title;
        TextStyle titleStyle = TextStyle::Title;
        bool boldTitle = false;
        FileList::Surface surface = FileList::Surface::Light;
        FileList::RowSymbolFor rowSymbol;
        int listHeight = 200;
        QString closeText;
        enum class CloseButton { Flat, Plain } closeButton = CloseButton::Flat;
    };

    OpenFileCard(const Look &look, QWidget *parent);

    void setLocation(const QString &folder);
    void setFiles(const QStringList &paths);
    QStringList files() const;

    FolderLocationRow *locationRow() const { return m_locationRow; }
    FileList *fileList() const { return m_fileList; }
    QPushButton *closeButton() const { return m_closeButton; }

signals:
    void chooseFolderRequested();
    void openRequested(const QString &path);

private:
    FolderLocationRow *m_locationRow;
    FileList *m_fileList;
    QPushButton *m_closeButton;
};
