#include "SlideInspector.h"

#include "ObjectSelection.h"
#include "presentation/document/PowerPointDocument.h"
#include "platform/widgets/AccentColors.h"
#include "platform/widgets/ColorHex.h"
#include "platform/widgets/ColorSwatchButton.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/SymbolIcon.h"
#include "platform/widgets/TextStyles.h"
#include "platform/widgets/WheelGuard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

namespace {

constexpr int fontSizeSteps = 10; // the slider moves in tenths of a point
constexpr int minimumFontSize = 10;
constexpr int maximumFontSize = 100;
constexpr int highestOrder = 10;
constexpr int blockPadding = 16;

QLabel *boldSubheadline(const QString &text, QWidget *parent)
{
    QLabel *label = TextStyles::label(text, TextStyle::Subheadline, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QHBoxLayout *row(QWidget *parent, int spacing = 6)
{
    Q_UNUSED(parent);
    auto *layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace

SlideInspector::SlideInspector(PowerPointDocument *document, ObjectSelection *selection, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
    , m_selection(selection)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 10, 0, 0);
    layout->setSpacing(16);
    QLabel *heading = TextStyles::label(QStringLiteral("インスペクタ"), TextStyle::Headline, this);
    heading->setAlignment(Qt::AlignCenter);
    layout->addWidget(heading);
    layout->addWidget(Controls::divider(this));
    m_slideBlock = createSlideBlock();
    layout->addWidget(m_slideBlock);
    m_slideDivider = Controls::divider(this);
    layout->addWidget(m_slideDivider);

    m_objectScroll = new QScrollArea(this);
    m_objectScroll->setFrameShape(QFrame::NoFrame);
    m_objectScroll->setWidgetResizable(true);
    m_objectScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_objectScroll->setWidget(createObjectBlock());
    m_objectScroll->viewport()->setAutoFillBackground(false);
    m_objectScroll->widget()->setAutoFillBackground(false);
    layout->addWidget(m_objectScroll, 1);

    m_hint = TextStyles::label(QStringLiteral("オブジェクトを選択するとプロパティを設定できます。"),
                               TextStyle::Caption, this, TextStyles::Tone::Secondary);
    m_hint->setWordWrap(true);
    m_hint->setAlignment(Qt::AlignCenter);
    m_hint->setContentsMargins(blockPadding, blockPadding, blockPadding, blockPadding);
    layout->addWidget(m_hint);
    layout->addStretch(0); // takes the room only while the object block is hidden

    WheelGuard::guard(this);
    connect(m_selection, &ObjectSelection::changed, this, &SlideInspector::refresh);
    refresh();
}

QWidget *SlideInspector::createSlideBlock()
{
    auto *block = new QWidget(this);
    auto *layout = new QVBoxLayout(block);
    layout->setContentsMargins(blockPadding, 0, blockPadding, 0);
    layout->setSpacing(8);
    layout->addWidget(boldSubheadline(QStringLiteral("スライド設定"), block));

    m_slideTitle = new QLineEdit(block);
    m_slideTitle->setPlaceholderText(QStringLiteral("タイトル"));
    QHBoxLayout *titleRow = row(block);
    titleRow->addWidget(new QLabel(QStringLiteral("スライド名:"), block));
    titleRow->addWidget(m_slideTitle, 1);
    layout->addLayout(titleRow);
    connect(m_slideTitle, &QLineEdit::textEdited, this, [this](const QString &title) {
        m_document->setSlideTitle(m_document->currentSlideIndex(), title);
    });

    m_background = new ColorSwatchButton(block);
    QHBoxLayout *backgroundRow = row(block);
    backgroundRow->addWidget(new QLabel(QStringLiteral("背景色:"), block));
    backgroundRow->addWidget(m_background);
    backgroundRow->addStretch(1);
    layout->addLayout(backgroundRow);
    connect(m_background, &ColorSwatchButton::colorPicked, this, [this](const QColor &color) {
        m_document->setSlideBackground(m_document->currentSlideIndex(), ColorHex::toHex(color));
    });
    return block;
}

QWidget *SlideInspector::createObjectBlock()
{
    m_objectBlock = new QWidget;
    auto *layout = new QVBoxLayout(m_objectBlock);
    layout->setContentsMargins(blockPadding, 0, blockPadding, 0);
    layout->setSpacing(12);
    m_objectHeader = boldSubheadline(QString(), m_objectBlock);
    layout->addWidget(m_objectHeader);
    m_textRows = createTextRows(m_objectBlock);
    layout->addWidget(m_textRows);

    m_color = new ColorSwatchButton(m_objectBlock);
    QHBoxLayout *colorRow = row(m_objectBlock);
    colorRow->addWidget(new QLabel(QStringLiteral("色:"), m_objectBlock));
    colorRow->addWidget(m_color);
    colorRow->addStretch(1);
    layout->addLayout(colorRow);
    connect(m_color, &ColorSwatchButton::colorPicked, this, [this](const QColor &color) {
        editObject([&](SlideObject &object) { object.colorHex = ColorHex::toHex(color); });
    });

    layout->addWidget(Controls::divider(m_objectBlock));
    layout->addWidget(boldSubheadline(QStringLiteral("アニメーション設定"), m_objectBlock));

    m_animation = new QComboBox(m_objectBlock);
    for (SlideAnimationType type : SlideAnimationTypes::all())
        m_animation->addItem(SlideAnimationTypes::stringValue(type), int(type));
    QHBoxLayout *animationRow = row(m_objectBlock);
    animationRow->addWidget(new QLabel(QStringLiteral("アニメーション:"), m_objectBlock));
    animationRow->addWidget(m_animation, 1);
    layout->addLayout(animationRow);
    connect(m_animation, &QComboBox::activated, this, [this](int index) {
        const auto type = SlideAnimationType(m_animation->itemData(index).toInt());
        editObject([&](SlideObject &object) { object.animationType = type; });
    });

    m_order = new QComboBox(m_objectBlock);
    m_order->addItem(QStringLiteral("最初から表示"), 0);
    for (int order = 1; order <= highestOrder; ++order)
        m_order->addItem(QStringLiteral("%1番目").arg(order), order);
    QHBoxLayout *orderRow = row(m_objectBlock);
    orderRow->addWidget(new QLabel(QStringLiteral("出現順序:"), m_objectBlock));
    orderRow->addWidget(m_order, 1);
    layout->addLayout(orderRow);
    connect(m_order, &QComboBox::activated, this, [this](int index) {
        const qint64 order = m_order->itemData(index).toInt();
        editObject([&](SlideObject &object) { object.animationOrder = order; });
    });

    layout->addSpacing(20);
    m_delete = new QPushButton(QStringLiteral("オブジェクト削除"), m_objectBlock);
    m_delete->setFlat(true);
    m_delete->setCursor(Qt::PointingHandCursor);
    m_delete->setIcon(SymbolIcon::icon(QStringLiteral("trash"), AccentColors::red(), 14));
    m_delete->setStyleSheet(QStringLiteral("QPushButton { color: %1; border: none; text-align: left; }")
                                .arg(AccentColors::red().name()));
    layout->addWidget(m_delete, 0, Qt::AlignLeft);
    connect(m_delete, &QPushButton::clicked, this, [this] {
        if (const SlideObject *object = selectedObject())
            deleteObject(object->id);
    });
    layout->addStretch(1);
    return m_objectBlock;
}

// Text, size and style: the rows only text kinds have.
QWidget *SlideInspector::createTextRows(QWidget *parent)
{
    auto *rows = new QWidget(parent);
    auto *layout = new QVBoxLayout(rows);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(new QLabel(QStringLiteral("テキスト内容:"), rows));

    m_text = new QPlainTextEdit(rows);
    m_text->setFixedHeight(80);
    m_text->setStyleSheet(QStringLiteral("QPlainTextEdit { border: 1px solid rgba(128, 128, 128, 77); }"));
    layout->addWidget(m_text);
    connect(m_text, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = m_text->toPlainText();
        editObject([&](SlideObject &object) { object.text = text; });
    });

    m_fontSize = new QSlider(Qt::Horizontal, rows);
    m_fontSize->setRange(minimumFontSize * fontSizeSteps, maximumFontSize * fontSizeSteps);
    m_fontSizeLabel = new QLabel(rows);
    m_fontSizeLabel->setFixedWidth(40);
    QHBoxLayout *sizeRow = row(rows);
    sizeRow->addWidget(new QLabel(QStringLiteral("サイズ:"), rows));
    sizeRow->addWidget(m_fontSize, 1);
    sizeRow->addWidget(m_fontSizeLabel);
    layout->addLayout(sizeRow);
    connect(m_fontSize, &QSlider::valueChanged, this, [this](int value) {
        const double size = double(value) / fontSizeSteps;
        editObject([&](SlideObject &object) { object.fontSize = size; });
    });

    m_bold = new QCheckBox(QStringLiteral("太字"), rows);
    m_italic = new QCheckBox(QStringLiteral("斜体"), rows);
    QHBoxLayout *styleRow = row(rows, 12);
    styleRow->addWidget(m_bold);
    styleRow->addWidget(m_italic);
    styleRow->addStretch(1);
    layout->addLayout(styleRow);
    connect(m_bold, &QCheckBox::clicked, this, [this](bool checked) {
        editObject([&](SlideObject &object) { object.isBold = checked; });
    });
    connect(m_italic, &QCheckBox::clicked, this, [this](bool checked) {
        editObject([&](SlideObject &object) { object.isItalic = checked; });
    });
    return rows;
}

const SlideObject *SlideInspector::selectedObject() const
{
    const Slide *slide = m_document->currentSlide();
    if (!slide || m_selection->selectedObjectId().isNull())
        return nullptr;
    const qsizetype at = slide->indexOfObject(m_selection->selectedObjectId());
    return at < 0 ? nullptr : &slide->objects[at];
}

// Writes one field of the object the block shows, starting from the
// document's current copy so no other field goes back to an older value.
template <typename Edit> void SlideInspector::editObject(Edit edit)
{
    const SlideObject *object = selectedObject();
    if (!object)
        return;
    SlideObject edited = *object;
    edit(edited);
    m_document->updateObject(m_document->currentSlideIndex(), edited);
}

void SlideInspector::deleteObject(const QUuid &objectId)
{
    m_document->deleteObject(objectId, m_document->currentSlideIndex());
    m_selection->clear();
}

void SlideInspector::refresh()
{
    const bool hasSlide = m_document->currentSlide() != nullptr;
    m_slideBlock->setVisible(hasSlide);
    m_slideDivider->setVisible(hasSlide);
    const SlideObject *object = hasSlide ? selectedObject() : nullptr;
    m_objectScroll->setVisible(object);
    m_hint->setVisible(hasSlide && !object);
    if (hasSlide)
        loadSlide();
    if (object)
        loadObject(*object);
}

void SlideInspector::loadSlide()
{
    const Slide &slide = *m_document->currentSlide();
    if (m_slideTitle->text() != slide.title) {
        const QSignalBlocker blocker(m_slideTitle);
        m_slideTitle->setText(slide.title);
    }
    m_background->setColor(ColorHex::colorFromHex(slide.bgColorHex));
}

void SlideInspector::loadObject(const SlideObject &object)
{
    const bool isText = SlideObjectTypes::isTextKind(object.type);
    m_objectHeader->setText(QStringLiteral("オブジェクト設定 (%1)").arg(SlideObjectTypes::stringValue(object.type)));
    m_textRows->setVisible(isText);
    if (isText) {
        if (m_text->toPlainText() != object.text) {
            const QSignalBlocker blocker(m_text);
            m_text->setPlainText(object.text);
        }
        const QSignalBlocker sizeBlocker(m_fontSize);
        if (!m_fontSize->isSliderDown())
            m_fontSize->setValue(int(std::clamp(object.fontSize * fontSizeSteps, double(m_fontSize->minimum()),
                                                double(m_fontSize->maximum()))));
        m_fontSizeLabel->setText(fontSizeText(object.fontSize));
        const QSignalBlocker boldBlocker(m_bold);
        m_bold->setChecked(object.isBold);
        const QSignalBlocker italicBlocker(m_italic);
        m_italic->setChecked(object.isItalic);
    }
    m_color->setColor(ColorHex::colorFromHex(object.colorHex));
    const QSignalBlocker animationBlocker(m_animation);
    m_animation->setCurrentIndex(m_animation->findData(int(object.animationType)));
    const QSignalBlocker orderBlocker(m_order);
    const bool listed = object.animationOrder >= 0 && object.animationOrder <= highestOrder;
    m_order->setCurrentIndex(listed ? int(object.animationOrder) : -1);
}

QString SlideInspector::fontSizeText(double fontSize)
{
    qint64 points = 0;
    if (std::isnan(fontSize))
        points = 0;
    else if (fontSize >= 9.2233720368547758e18)
        points = std::numeric_limits<qint64>::max();
    else if (fontSize <= -9.2233720368547758e18)
        points = std::numeric_limits<qint64>::min();
    else
        points = qint64(fontSize);
    return QStringLiteral("%1pt").arg(points);
}
