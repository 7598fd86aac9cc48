#include "SaveWorkbookDialog.h"

#include "platform/widgets/AccentColors.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FolderLocationRow.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QString segmentStyle()
{
    return QStringLiteral("QPushButton { padding: 3px 2px; border: 1px solid rgba(255, 255, 255, 40);"
                          " background: rgba(255, 255, 255, 20); color: white; }"
                          "QPushButton:checked { background: %1; color: white; }")
        .arg(AccentColors::blue().name());
}

} // namespace

SaveWorkbookDialog::SaveWorkbookDialog(QWidget *parent)
    : DialogCard({.width = 450, .padding = 30, .cornerRadius = 15, .shadowRadius = 20}, parent)
    , m_formatGroup(new QButtonGroup(this))
{
    QVBoxLayout *layout = rows();
    QWidget *card = this->card();
    layout->addWidget(
        title(QStringLiteral("保存形式と名前の指定"), TextStyle::Title3, card));
    m_locationRow = new FolderLocationRow(card);
    layout->addWidget(m_locationRow, 0, Qt::AlignHCenter);
    layout->addWidget(makeFormatPicker());
    layout->addWidget(makeFileNameRow());

    m_cancelButton = button(QStringLiteral("キャンセル"), ButtonTone::Grey, card);
    m_saveButton = button(QStringLiteral("保存"), ButtonTone::Blue, card);
    layout->addLayout(Controls::centredRow({m_cancelButton, m_saveButton}, 20));

    connect(m_locationRow, &FolderLocationRow::changeRequested, this,
            &SaveWorkbookDialog::chooseFolderRequested);
    connect(m_cancelButton, &QPushButton::clicked, this, &DialogOverlay::close);
    connect(m_saveButton, &QPushButton::clicked, this, &SaveWorkbookDialog::saveRequested);
    showFormat(m_format);
}

QWidget *SaveWorkbookDialog::makeFormatPicker()
{
    auto *picker = new QWidget(card());
    auto *layout = new QVBoxLayout(picker);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(new QLabel(QStringLiteral("ファイル形式:"), picker));
    auto *segments = new QHBoxLayout;
    segments->setSpacing(0);
    for (ExcelFileFormat format : allExcelFileFormats) {
        auto *segment = new QPushButton(excelFileFormatText(format), picker);
        segment->setCheckable(true);
        segment->setStyleSheet(segmentStyle());
        QFont font = segment->font();
        font.setPixelSize(11);
        segment->setFont(font);
        m_formatGroup->addButton(segment, int(format));
        segments->addWidget(segment);
    }
    layout->addLayout(segments);
    connect(m_formatGroup, &QButtonGroup::idClicked, this, [this](int id) {
        showFormat(ExcelFileFormat(id));
        emit formatChosen(m_format);
    });
    return picker;
}

QWidget *SaveWorkbookDialog::makeFileNameRow()
{
    auto *row = new QWidget(card());
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("ファイル名:"), row));
    m_fileNameField = new QLineEdit(row);
    m_fileNameField->setPlaceholderText(QStringLiteral("ファイル名"));
    layout->addWidget(m_fileNameField, 1);
    m_extensionLabel = new QLabel(row);
    layout->addWidget(m_extensionLabel);
    connect(m_fileNameField, &QLineEdit::textEdited, this, &SaveWorkbookDialog::fileNameEdited);
    return row;
}

QPushButton *SaveWorkbookDialog::formatButton(ExcelFileFormat format) const
{
    return qobject_cast<QPushButton *>(m_formatGroup->button(int(format)));
}

QString SaveWorkbookDialog::fileName() const
{
    return m_fileNameField->text();
}

void SaveWorkbookDialog::setFileName(const QString &name)
{
    const QSignalBlocker blocker(m_fileNameField);
    m_fileNameField->setText(name);
}

void SaveWorkbookDialog::setFormat(ExcelFileFormat format)
{
    showFormat(format);
}

void SaveWorkbookDialog::setLocation(const QString &folder)
{
    m_locationRow->setPath(folder);
}

void SaveWorkbookDialog::showFormat(ExcelFileFormat format)
{
    m_format = format;
    if (QAbstractButton *button = m_formatGroup->button(int(format)))
        button->setChecked(true);
    m_extensionLabel->setText(QLatin1Char('.') + excelFileFormatExtension(format));
}
