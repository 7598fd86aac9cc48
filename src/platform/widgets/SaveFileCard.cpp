#include "SaveFileCard.h"

#include "platform/widgets/AccentColors.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/FolderLocationRow.h"

#include <QButtonGroup>
#include <QComboBox>
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

SaveFileCard::SaveFileCard(const Look &look, const QList<Format> &formats, QWidget *parent)
    : DialogCard(look.shape, parent)
    , m_formats(formats)
    , m_locationRow(new FolderLocationRow(card()))
{
    QVBoxLayout *layout = rows();
    layout->addWidget(title(look.title, look.titleStyle, card(), look.boldTitle));
    layout->addWidget(m_locationRow, 0, look.locationAlignment);
    if (look.picker == Look::Picker::Segments)
        layout->addWidget(makeFormatSegments(look.pickerLabel));
    else
        layout->addLayout(makeFormatMenu(look.pickerLabel));
    layout->addWidget(makeFileNameRow(look));
    layout->addLayout(makeButtons(look));

    connect(m_locationRow, &FolderLocationRow::changeRequested, this, &SaveFileCard::chooseFolderRequested);
    connect(m_fileNameField, &QLineEdit::textEdited, this, &SaveFileCard::fileNameEdited);
    if (look.returnSaves)
        connect(m_fileNameField, &QLineEdit::returnPressed, this, &SaveFileCard::saveRequested);
    connect(m_cancelButton, &QPushButton::clicked, this, &DialogOverlay::close);
    connect(m_saveButton, &QPushButton::clicked, this, &SaveFileCard::saveRequested);
    if (!formats.isEmpty())
        setFormat(formats.first().id);
}

QLayout *SaveFileCard::makeFormatMenu(const QString &label)
{
    m_formatMenu = new QComboBox(card());
    for (const Format &format : std::as_const(m_formats))
        m_formatMenu->addItem(format.label, format.id);
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(label, card()));
    row->addWidget(m_formatMenu, 1);
    connect(m_formatMenu, &QComboBox::activated, this, [this](int index) {
        setFormat(m_formatMenu->itemData(index).toInt());
        emit formatChosen(m_format);
    });
    return row;
}

QWidget *SaveFileCard::makeFormatSegments(const QString &label)
{
    auto *picker = new QWidget(card());
    auto *layout = new QVBoxLayout(picker);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(new QLabel(label, picker));
    auto *segments = new QHBoxLayout;
    segments->setSpacing(0);
    m_formatSegments = new QButtonGroup(this);
    for (const Format &format : std::as_const(m_formats)) {
        auto *segment = new QPushButton(format.label, picker);
        segment->setCheckable(true);
        segment->setStyleSheet(segmentStyle());
        QFont font = segment->font();
        font.setPixelSize(11);
        segment->setFont(font);
        m_formatSegments->addButton(segment, format.id);
        segments->addWidget(segment);
    }
    layout->addLayout(segments);
    connect(m_formatSegments, &QButtonGroup::idClicked, this, [this](int id) {
        setFormat(id);
        emit formatChosen(m_format);
    });
    return picker;
}

QWidget *SaveFileCard::makeFileNameRow(const Look &look)
{
    auto *row = new QWidget(card());
    m_fileNameField = new QLineEdit(row);
    m_fileNameField->setPlaceholderText(QStringLiteral("ファイル名"));
    m_extensionLabel = new QLabel(row);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(look.nameRowInset, 0, look.nameRowInset, 0);
    layout->setSpacing(look.nameRowSpacing);
    layout->addWidget(new QLabel(QStringLiteral("ファイル名:"), row));
    layout->addWidget(m_fileNameField, 1);
    layout->addWidget(m_extensionLabel);
    return row;
}

QLayout *SaveFileCard::makeButtons(const Look &look)
{
    if (look.buttons == Look::Buttons::Flat) {
        m_cancelButton = button(look.cancelText, ButtonTone::Grey, card());
        m_saveButton = button(look.saveText, ButtonTone::Blue, card());
    } else {
        m_cancelButton = new QPushButton(look.cancelText, card());
        m_saveButton = new QPushButton(look.saveText, card());
        Controls::makeProminent(m_saveButton);
    }
    return Controls::centredRow({m_cancelButton, m_saveButton}, 20);
}

// A reason a save failed in one folder says nothing about another.
void SaveFileCard::setLocation(const QString &folder)
{
    if (folder == m_locationRow->path())
        return;
    m_locationRow->setPath(folder);
    clearError();
}

void SaveFileCard::setFileName(const QString &name)
{
    if (m_fileNameField->text() != name)
        m_fileNameField->setText(name);
}

QString SaveFileCard::fileName() const
{
    return m_fileNameField->text();
}

void SaveFileCard::setFormat(int id)
{
    m_format = id;
    if (m_formatMenu) {
        const QSignalBlocker blocker(m_formatMenu);
        m_formatMenu->setCurrentIndex(m_formatMenu->findData(id));
    }
    if (m_formatSegments) {
        if (QAbstractButton *segment = m_formatSegments->button(id))
            segment->setChecked(true);
    }
    for (const Format &format : std::as_const(m_formats)) {
        if (format.id == id)
            m_extensionLabel->setText(QLatin1Char('.') + format.extension);
    }
}

QPushButton *SaveFileCard::formatSegment(int id) const
{
    return m_formatSegments ? qobject_cast<QPushButton *>(m_formatSegments->button(id)) : nullptr;
}
