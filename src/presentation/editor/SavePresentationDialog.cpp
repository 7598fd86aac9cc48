#include "SavePresentationDialog.h"

#include "platform/widgets/Controls.h"
#include "platform/widgets/FolderLocationRow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QLabel *boldTitle(const QString &text, QWidget *parent)
{
    QLabel *label = DialogCard::title(text, TextStyle::Title, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QHBoxLayout *labelledRow(const QString &label, QWidget *parent)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(label, parent));
    return row;
}

} // namespace

SavePresentationDialog::SavePresentationDialog(QWidget *parent)
    : DialogCard(Shape::document(), parent)
{
    QVBoxLayout *layout = rows();
    QWidget *card = this->card();
    layout->addWidget(boldTitle(QStringLiteral("スライド保存"), card));
    m_locationRow = new FolderLocationRow(card);
    layout->addWidget(m_locationRow, 0, Qt::AlignHCenter);

    m_formatPicker = new QComboBox(card);
    for (PPTXFileFormat format : PPTXFileFormats::all())
        m_formatPicker->addItem(PPTXFileFormats::stringValue(format), int(format));
    QHBoxLayout *formatRow = labelledRow(QStringLiteral("形式:"), card);
    formatRow->addWidget(m_formatPicker, 1);
    layout->addLayout(formatRow);

    m_fileNameField = new QLineEdit(card);
    m_fileNameField->setPlaceholderText(QStringLiteral("ファイル名"));
    m_extensionLabel = new QLabel(card);
    QHBoxLayout *nameRow = labelledRow(QStringLiteral("ファイル名:"), card);
    nameRow->addWidget(m_fileNameField, 1);
    nameRow->addWidget(m_extensionLabel);
    layout->addLayout(nameRow);

    m_cancelButton = new QPushButton(QStringLiteral("キャンセル"), card);
    m_saveButton = new QPushButton(QStringLiteral("保存"), card);
    Controls::makeProminent(m_saveButton);
    layout->addLayout(Controls::centredRow({m_cancelButton, m_saveButton}, 20));

    connect(m_locationRow, &FolderLocationRow::changeRequested, this,
            &SavePresentationDialog::chooseFolderRequested);
    connect(m_formatPicker, &QComboBox::activated, this, [this](int index) {
        showFormat(PPTXFileFormat(m_formatPicker->itemData(index).toInt()));
        emit formatChosen(m_format);
    });
    connect(m_fileNameField, &QLineEdit::textEdited, this, &SavePresentationDialog::fileNameEdited);
    connect(m_fileNameField, &QLineEdit::returnPressed, this, &SavePresentationDialog::saveRequested);
    connect(m_cancelButton, &QPushButton::clicked, this, &DialogOverlay::close);
    connect(m_saveButton, &QPushButton::clicked, this, &SavePresentationDialog::saveRequested);
    showFormat(m_format);
}

void SavePresentationDialog::setFileName(const QString &name)
{
    if (m_fileNameField->text() == name)
        return;
    const QSignalBlocker blocker(m_fileNameField);
    m_fileNameField->setText(name);
}

QString SavePresentationDialog::fileName() const
{
    return m_fileNameField->text();
}

void SavePresentationDialog::setFormat(PPTXFileFormat format)
{
    showFormat(format);
}

void SavePresentationDialog::setLocation(const QString &folder)
{
    m_locationRow->setPath(folder);
}

void SavePresentationDialog::showFormat(PPTXFileFormat format)
{
    m_format = format;
    const QSignalBlocker blocker(m_formatPicker);
    m_formatPicker->setCurrentIndex(m_formatPicker->findData(int(format)));
    m_extensionLabel->setText(QLatin1Char('.') + PPTXFileFormats::extension(format));
}
