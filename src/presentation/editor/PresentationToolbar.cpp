#include "PresentationToolbar.h"

#include "platform/widgets/AccentColors.h"
#include "platform/widgets/HorizontalScrollArea.h"
#include "platform/widgets/SymbolIcon.h"
#include "platform/widgets/TextStyles.h"
#include "platform/widgets/TranslucentPanel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace {

constexpr int symbolSize = 16;

struct InsertButton {
    SlideObjectType type;
    const char *text;
    const char *symbol;
};

const InsertButton insertButtons[] = {
    {SlideObjectType::Title, "タイトル", "t.square"},
    {SlideObjectType::Body, "本文", "doc.text.below.ecg.fill"},
    {SlideObjectType::Rectangle, "四角形", "square"},
    {SlideObjectType::Circle, "円", "circle"},
    {SlideObjectType::TextBox, "テキスト", "textbox"},
};

QFrame *verticalDivider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(20);
    QPalette palette = line->palette();
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.2);
    palette.setColor(QPalette::WindowText, color);
    line->setPalette(palette);
    return line;
}

QLabel *caption(const QString &text, QWidget *parent)
{
    return TextStyles::label(text, TextStyle::Caption, parent, TextStyles::Tone::Secondary);
}

QPushButton *pill(const QString &text, const QString &style, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(style);
    return button;
}

} // namespace

PresentationToolbar::PresentationToolbar(QWidget *parent) : QWidget(parent)
{
    auto *scroll = new HorizontalScrollArea(this);
    scroll->setWidget(createRow());
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
}

QWidget *PresentationToolbar::createRow()
{
    auto *panel = new TranslucentPanel(TranslucentPanel::Material::TitleBar,
                                       TranslucentPanel::Blending::WithinWindow);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(16, 10, 16, 10);
    row->setSpacing(12);

    row->addWidget(caption(QStringLiteral("スライド操作:"), panel));
    m_addSlide = labelledButton(QStringLiteral("スライド追加"), QStringLiteral("plus.rectangle.on.rectangle"), panel);
    m_deleteSlide = labelledButton(QStringLiteral("スライド削除"), QStringLiteral("trash"), panel);
    row->addWidget(m_addSlide);
    row->addWidget(m_deleteSlide);
    row->addWidget(verticalDivider(panel));
    row->addWidget(caption(QStringLiteral("オブジェクト挿入:"), panel));
    for (const InsertButton &entry : insertButtons) {
        QToolButton *button = labelledButton(QString::fromUtf8(entry.text), QString::fromLatin1(entry.symbol), panel);
        m_insertButtons.append(button);
        row->addWidget(button);
        const SlideObjectType type = entry.type;
        connect(button, &QToolButton::clicked, this, [this, type] { emit insertRequested(type); });
    }
    row->addStretch(1);

    m_slideShow = pill(QStringLiteral("スライドショー"),
                       QStringLiteral("QPushButton { color: white; background: #34C759; border: none;"
                                      " border-radius: 6px; padding: 4px 10px; }"
                                      "QPushButton:pressed { background: #248A3D; }"),
                       panel);
    m_slideShow->setIcon(SymbolIcon::icon(QStringLiteral("play.tv"), Qt::white, symbolSize));
    row->addWidget(m_slideShow);
    row->addWidget(verticalDivider(panel));
    m_open = new QToolButton(panel);
    m_open->setIcon(SymbolIcon::icon(QStringLiteral("folder"), palette().color(QPalette::ButtonText), symbolSize));
    m_open->setToolTip(QStringLiteral("開く"));
    row->addWidget(m_open);
    m_save = pill(QStringLiteral("保存"),
                  QStringLiteral("QPushButton { color: white; background: %1; border: none; font-weight: bold;"
                                 " border-radius: 12px; padding: 6px 16px; }"
                                 "QPushButton:pressed { background: %2; }")
                      .arg(AccentColors::blue().name(), AccentColors::pressedBlue().name()),
                  panel);
    row->addWidget(m_save);

    connect(m_addSlide, &QToolButton::clicked, this, &PresentationToolbar::addSlideRequested);
    connect(m_deleteSlide, &QToolButton::clicked, this, &PresentationToolbar::deleteSlideRequested);
    connect(m_slideShow, &QPushButton::clicked, this, &PresentationToolbar::slideShowRequested);
    connect(m_open, &QToolButton::clicked, this, &PresentationToolbar::openRequested);
    connect(m_save, &QPushButton::clicked, this, &PresentationToolbar::saveRequested);
    return panel;
}

QToolButton *PresentationToolbar::labelledButton(const QString &text, const QString &symbol, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(text);
    button->setIcon(SymbolIcon::icon(symbol, palette().color(QPalette::ButtonText), symbolSize));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
}

void PresentationToolbar::setSlideCount(qsizetype count)
{
    m_deleteSlide->setEnabled(count >= 2);
}

QToolButton *PresentationToolbar::insertButton(SlideObjectType type) const
{
    return m_insertButtons.value(SlideObjectTypes::all().indexOf(type));
}
