#include "OpenDocumentCard.h"

#include "platform/widgets/FileList.h"
#include "platform/widgets/FolderLocationRow.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

OpenDocumentCard::OpenDocumentCard(QWidget *parent)
    : DialogCard(Shape::document(), parent)
    , m_location(new FolderLocationRow(card()))
    , m_files(new FileList(FileList::Surface::Light,
                           [](const QFileInfo &) {
                               return FileList::RowSymbol{QStringLiteral("doc.richtext"), QColor(0, 122, 255)};
                           },
                           card()))
    , m_cancel(button(QStringLiteral("Cancel"), ButtonTone::Grey, card()))
{
    QLabel *heading = title(QStringLiteral("Open Document"), TextStyle::Title, card());
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    rows()->addWidget(heading);
    rows()->addWidget(m_location);
    m_files->setFixedHeight(200);
    rows()->addWidget(m_files);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    buttons->addStretch();
    rows()->addLayout(buttons);

    connect(m_location, &FolderLocationRow::changeRequested, this, &OpenDocumentCard::folderChangeRequested);
    connect(m_files, &FileList::fileClicked, this, &OpenDocumentCard::fileChosen);
    connect(m_cancel, &QPushButton::clicked, this, &OpenDocumentCard::close);
}

void OpenDocumentCard::setFolder(const QString &folder)
{
    m_location->setPath(folder);
}

void OpenDocumentCard::setFiles(const QStringList &paths)
{
    m_files->setFiles(paths);
}
