#include "OpenFileCard.h"

#include "platform/widgets/FolderLocationRow.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

OpenFileCard::OpenFileCard(const Look &look, QWidget *parent)
    : DialogCard(look.shape, parent)
    , m_editor(look.editor)
    , m_askBeforeOpening([](QWidget *window) {
        return UnsavedChangesPrompt::ask(window, QStringLiteral("開く前にドキュメントを保存しますか？"));
    })
    , m_locationRow(new FolderLocationRow(card()))
    , m_fileList(new FileList(look.surface, look.rowSymbol, card()))
    , m_closeButton(look.closeButton == Look::CloseButton::Flat
                        ? button(look.closeText, ButtonTone::Grey, card())
                        : new QPushButton(look.closeText, card()))
{
    QVBoxLayout *layout = rows();
    layout->addWidget(title(look.title, look.titleStyle, card(), look.boldTitle));
    layout->addWidget(m_locationRow, 0, Qt::AlignHCenter);
    m_fileList->setFixedHeight(look.listHeight);
    layout->addWidget(m_fileList);
    layout->addWidget(m_closeButton, 0, Qt::AlignHCenter);

    connect(m_locationRow, &FolderLocationRow::changeRequested, this, &OpenFileCard::chooseFolderRequested);
    connect(m_fileList, &FileList::fileClicked, this, &OpenFileCard::requestOpen);
    connect(m_closeButton, &QPushButton::clicked, this, &DialogOverlay::close);
}

void OpenFileCard::setLocation(const QString &folder)
{
    m_locationRow->setPath(folder);
}

void OpenFileCard::setFiles(const QStringList &paths)
{
    m_fileList->setFiles(paths);
}

QStringList OpenFileCard::files() const
{
    return m_fileList->files();
}

void OpenFileCard::requestOpen(const QString &path)
{
    if (AppState::shared().hasUnsavedChanges(m_editor)
        && m_askBeforeOpening(window()) != UnsavedChangesPrompt::Choice::DontSave)
        return;
    emit openRequested(path);
}
