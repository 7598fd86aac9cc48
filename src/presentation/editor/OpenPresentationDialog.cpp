#include "OpenPresentationDialog.h"

#include "platform/widgets/AccentColors.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/FolderLocationRow.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

OpenPresentationDialog::OpenPresentationDialog(QWidget *parent)
    : DialogCard(Shape::document(), parent)
{
    QVBoxLayout *layout = rows();
    QWidget *card = this->card();
    QLabel *heading = title(QStringLiteral("スライド読み込み"), TextStyle::Title, card);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    m_locationRow = new FolderLocationRow(card);
    layout->addWidget(m_locationRow, 0, Qt::AlignHCenter);

    const auto rowSymbol = [](const QFileInfo &) {
        return FileList::RowSymbol{QStringLiteral("doc.richtext"), AccentColors::blue()};
    };
    m_fileList = new FileList(FileList::Surface::Light, rowSymbol, card);
    m_fileList->setFixedHeight(200);
    layout->addWidget(m_fileList);

    m_closeButton = new QPushButton(QStringLiteral("閉じる"), card);
    layout->addWidget(m_closeButton, 0, Qt::AlignHCenter);

    connect(m_locationRow, &FolderLocationRow::changeRequested, this,
            &OpenPresentationDialog::chooseFolderRequested);
    connect(m_fileList, &FileList::fileClicked, this, &OpenPresentationDialog::openRequested);
    connect(m_closeButton, &QPushButton::clicked, this, &DialogOverlay::close);
}

void OpenPresentationDialog::setLocation(const QString &folder)
{
    m_locationRow->setPath(folder);
}

void OpenPresentationDialog::setFiles(const QStringList &paths)
{
    m_fileList->setFiles(paths);
}

QStringList OpenPresentationDialog::files() const
{
    return m_fileList->files();
}
