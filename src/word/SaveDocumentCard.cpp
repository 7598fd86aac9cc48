#include "SaveDocumentCard.h"

#include "platform/widgets/FolderLocationRow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

SaveDocumentCard::SaveDocumentCard(const Formats &formats, QWidget *parent)
    : DialogCard(Shape::document(), parent)
    , m_location(new FolderLocationRow(card()))
    , m_format(new QComboBox(card()))
    , m_name(new QLineEdit(card()))
    , m_extension(new QLabel(card()))
    , m_cancel(button(QStringLiteral("Cancel"), ButtonTone::Grey, card()))
    , m_save(button(QStringLiteral("Save"), ButtonTone::Blue, card()))
{
    QLabel *heading = title(QStringLiteral("Save Document"), TextStyle::Title, card());
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    rows()->addWidget(heading);
    rows()->addWidget(m_location);

    for (const auto &[extension, name] : formats)
        m_format->addItem(name, extension);
    auto *formatRow = new QHBoxLayout;
    formatRow->addWidget(new QLabel(QStringLiteral("形式:"), card()));
    formatRow->addWidget(m_format, 1);
    rows()->addLayout(formatRow);

    m_name->setPlaceholderText(QStringLiteral("ファイル名"));
    auto *nameRow = new QHBoxLayout;
    nameRow->setContentsMargins(16, 0, 16, 0);
    nameRow->addWidget(new QLabel(QStringLiteral("ファイル名:"), card()));
    nameRow->addWidget(m_name, 1);
    nameRow->addWidget(m_extension);
    rows()->addLayout(nameRow);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(20);
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_save);
    buttons->addStretch();
    rows()->addLayout(buttons);

    connect(m_location, &FolderLocationRow::changeRequested, this, &SaveDocumentCard::folderChangeRequested);
    connect(m_name, &QLineEdit::textEdited, this, &SaveDocumentCard::fileNameEdited);
    connect(m_format, &QComboBox::activated, this, [this](int index) {
        const QString extension = m_format->itemData(index).toString();
        m_extension->setText(u'.' + extension);
        emit formatChosen(extension);
    });
    connect(m_cancel, &QPushButton::clicked, this, &SaveDocumentCard::close);
    connect(m_save, &QPushButton::clicked, this, &SaveDocumentCard::saveRequested);
    connect(m_name, &QLineEdit::returnPressed, this, &SaveDocumentCard::saveRequested);
}

void SaveDocumentCard::setFolder(const QString &folder)
{
    m_location->setPath(folder);
}

void SaveDocumentCard::setFileName(const QString &name)
{
    if (m_name->text() != name)
        m_name->setText(name);
}

void SaveDocumentCard::setFormat(const QString &extension)
{
    const QSignalBlocker blocker(m_format);
    m_format->setCurrentIndex(m_format->findData(extension));
    m_extension->setText(u'.' + extension);
}
