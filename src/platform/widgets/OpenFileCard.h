#pragma once

#include "platform/AppState.h"
#include "platform/widgets/DialogCard.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/UnsavedChangesPrompt.h"

#include <QStringList>

class FolderLocationRow;
class QPushButton;

// The open card every screen shows: a title, the folder row, the folder's
// files as a list and one button that closes the card. A click on a row
// emits openRequested; the screen closes the card only when the open
// succeeded, and shows a failure on the card's error line. While the screen's
// editor holds unsaved changes, the click first asks
// "開く前にドキュメントを保存しますか？"; only "保存しない" goes on to open, the
// other answers leave the document and the card as they were.
class OpenFileCard : public DialogCard
{
    Q_OBJECT
public:
    // What differs between the screens' open cards.
    struct Look
    {
        Shape shape;
        AppState::Editor editor; // whose unsaved changes an open replaces
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

    // Tests answer the unsaved-changes question without a message box.
    void setUnsavedChangesAsker(UnsavedChangesPrompt::Asker asker) { m_askBeforeOpening = std::move(asker); }

signals:
    void chooseFolderRequested();
    void openRequested(const QString &path);

private:
    void requestOpen(const QString &path);

    AppState::Editor m_editor;
    UnsavedChangesPrompt::Asker m_askBeforeOpening;
    FolderLocationRow *m_locationRow;
    FileList *m_fileList;
    QPushButton *m_closeButton;
};
