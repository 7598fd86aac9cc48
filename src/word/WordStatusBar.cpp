#include "WordStatusBar.h"

#include "platform/widgets/SymbolIcon.h"
#include "ZoomLevel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

namespace {

// The slider works in thousandths of the zoom.
constexpr int SliderScale = 1000;

QToolButton *plainSymbolButton(const QString &symbol, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(SymbolIcon::icon(symbol, QColor(40, 40, 44), 16));
    button->setIconSize(QSize(16, 16));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

WordStatusBar::WordStatusBar(QWidget *parent)
    : TranslucentPanel(Material::TitleBar, Blending::WithinWindow, parent)
    , m_characters(new QLabel(this))
    , m_words(new QLabel(this))
    , m_zoomOut(plainSymbolButton(QStringLiteral("minus.magnifyingglass"), this))
    , m_slider(new QSlider(Qt::Horizontal, this))
    , m_zoomIn(plainSymbolButton(QStringLiteral("plus.magnifyingglass"), this))
    , m_percent(new QLabel(this))
{
    QFont footnote = font();
    footnote.setPixelSize(12);
    setFont(footnote);

    auto *separator = new QLabel(QStringLiteral("|"), this);
    separator->setStyleSheet(QStringLiteral("color: rgba(60, 60, 67, 153);"));
    m_slider->setRange(int(ZoomLevel::Minimum * SliderScale), int(ZoomLevel::Maximum * SliderScale));
    m_slider->setFixedWidth(150);
    m_slider->setFocusPolicy(Qt::NoFocus);
    m_percent->setFixedWidth(50);
    // Room for long counts, so the row does not shift while typing.
    for (QLabel *count : {m_characters, m_words})
        count->setMinimumWidth(count->fontMetrics().horizontalAdvance(QStringLiteral("文字数: 0000000")));
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 6, 16, 6);
    layout->setSpacing(8);
    layout->addWidget(m_characters);
    layout->addWidget(separator);
    layout->addWidget(m_words);
    layout->addStretch();
    auto *zoom = new QHBoxLayout;
    zoom->setSpacing(10);
    zoom->addWidget(m_zoomOut);
    zoom->addWidget(m_slider);
    zoom->addWidget(m_zoomIn);
    zoom->addWidget(m_percent);
    layout->addLayout(zoom);

    connect(m_zoomOut, &QToolButton::clicked, this, &WordStatusBar::zoomOutRequested);
    connect(m_zoomIn, &QToolButton::clicked, this, &WordStatusBar::zoomInRequested);
    connect(m_slider, &QSlider::valueChanged, this,
            [this](int value) { emit zoomChosen(double(value) / SliderScale); });
    setCounts({});
    setZoom(1.0);
}

void WordStatusBar::setCounts(TextCounts counts)
{
    m_characters->setText(QStringLiteral("文字数: %1").arg(counts.characters));
    m_words->setText(QStringLiteral("単語数: %1").arg(counts.words));
}

void WordStatusBar::setZoom(double zoom)
{
    const QSignalBlocker blocker(m_slider);
    m_slider->setValue(int(std::lround(zoom * SliderScale)));
    m_percent->setText(QStringLiteral("%1%").arg(ZoomLevel::percent(zoom)));
}
