#include "OpenWorkbookDialog.h"

#include "DialogCard.h"
#include "FolderLocationRow.h"
#include "SymbolIcon.h"
#include "platform/widgets/TranslucentPanel.h"

#include <QFileInfo>
#include <QLabel>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

OpenWorkbookDialog::OpenWorkbookDialog(QWidget *parent)
    : DialogOverlay(parent)
{
    QVBoxLayout *layout =
        DialogCard::setUp(this, {.width = 450, .padding = 30, .cornerRadius = 15, .shadowRadius = 20});
    QWidget *card = this->card();
    layout->addWidget(
        DialogCard::title(QStringLiteral("ドキュメントを開く"), SheetControls::TextStyle::Title3, card));
    m_locationRow = new FolderLocationRow(card);
    layout->addWidget(m_locationRow, 0, Qt::AlignHCenter);

    m_fileList = new QListWidget(card);
    m_fileList->setFixedHeight(150);
    m_fileList->setIconSize(QSize(16, 16));
    m_fileList->setFrameShape(QFrame::NoFrame);
    m_fileList->setStyleSheet(QStringLiteral(
        "QListWidget { border-radius: 8px; padding: 4px; background: rgba(255, 255, 255, 20);"
        " color: white; }"
        "QListWidget::item { padding: 4px 2px; }"));
    layout->addWidget(m_fileList);

    m_cancelButton = DialogCard::button(QStringLiteral("キャンセル"), DialogCard::ButtonTone::Grey, card);
    layout->addWidget(m_cancelButton, 0, Qt::AlignHCenter);

    connect(m_locationRow, &FolderLocationRow::changeRequested, this,
            &OpenWorkbookDialog::chooseFolderRequested);
    connect(m_cancelButton, &QPushButton::clicked, this, &DialogOverlay::close);
    connect(m_fileList, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        emit openRequested(item->data(Qt::UserRole).toString());
    });
}

void OpenWorkbookDialog::setLocation(const QString &folder)
{
    m_locationRow->setPath(folder);
}

void OpenWorkbookDialog::setFiles(const QStringList &paths)
{
    m_files = paths;
    m_fileList->clear();
    const QIcon textIcon = SymbolIcon::icon(QStringLiteral("doc.text"), QColor(0x0A, 0x84, 0xFF), 16);
    const QIcon tableIcon =
        SymbolIcon::icon(QStringLiteral("tablecells"), QColor(0x30, 0xD1, 0x58), 16);
    for (const QString &path : paths) {
        const QFileInfo info(path);
        const bool isCsv = info.suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
        auto *item = new QListWidgetItem(isCsv ? textIcon : tableIcon, info.fileName(), m_fileList);
        item->setData(Qt::UserRole, path);
    }
}
