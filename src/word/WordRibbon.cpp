#include "WordRibbon.h"

#include "RibbonButtons.h"
#include "platform/widgets/SymbolIcon.h"

#include "platform/widgets/ColorSwatchButton.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QSlider>

#include <cmath>

namespace {

QComboBox *picker(int width, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setFocusPolicy(Qt::NoFocus);
    box->setFixedWidth(width);
    return box;
}

} // namespace

const QList<qreal> &WordRibbon::fontSizes()
{
    static const QList<qreal> sizes{9, 10, 11, 12, 14, 18, 24, 36, 48, 64, 72, 96, 144};
    return sizes;
}

const QStringList &WordRibbon::paragraphStyles()
{
    static const QStringList styles{QStringLiteral("本文"), QStringLiteral("タイトル"), QStringLiteral("見出し1"),
                                    QStringLiteral("見出し2"), QStringLiteral("見出し3")};
    return styles;
}

WordRibbon::WordRibbon(const QStringList &fontFamilies, QWidget *parent)
    : QWidget(parent)
    , m_row(new QHBoxLayout(this))
{
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(12);
    createPickers(fontFamilies);
    addDivider();
    addActionButton(Action::Bold, QStringLiteral("bold"), QStringLiteral("太字 (Ctrl+B)"));
    addActionButton(Action::Italic, QStringLiteral("italic"), QStringLiteral("斜体 (Ctrl+I)"));
    addActionButton(Action::Underline, QStringLiteral("underline"), QStringLiteral("下線 (Ctrl+U)"));
    addActionButton(Action::Strikethrough, QStringLiteral("strikethrough"), QStringLiteral("取り消し線"));
    addDivider();
    addActionButton(Action::AlignLeft, QStringLiteral("text.alignleft"), QStringLiteral("左揃え"));
    addActionButton(Action::AlignCenter, QStringLiteral("text.aligncenter"), QStringLiteral("中央揃え"));
    addActionButton(Action::AlignRight, QStringLiteral("text.alignright"), QStringLiteral("右揃え"));
    addDivider();
    m_textColor = new ColorSwatchButton(this);
    m_highlight = new ColorSwatchButton(this);
    for (ColorSwatchButton *well : {m_textColor, m_highlight}) {
        well->setFocusPolicy(Qt::NoFocus);
        well->setFixedWidth(30);
        m_row->addWidget(well);
    }
    m_textColor->setToolTip(QStringLiteral("文字の色"));
    m_highlight->setToolTip(QStringLiteral("蛍光ペンの色"));
    m_highlight->setColor(Qt::transparent);
    connect(m_textColor, &ColorSwatchButton::colorPicked, this, &WordRibbon::textColorChosen);
    connect(m_highlight, &ColorSwatchButton::colorPicked, this, &WordRibbon::highlightColorChosen);
    addDivider();
    addActionButton(Action::InsertImage, QStringLiteral("photo"), QStringLiteral("画像を挿入"));
    addActionButton(Action::BulletList, QStringLiteral("list.bullet"), QStringLiteral("箇条書き"));
    addActionButton(Action::NumberedList, QStringLiteral("list.number"), QStringLiteral("番号付きリスト"));
    addDivider();
    addActionButton(Action::Find, QStringLiteral("magnifyingglass"), QStringLiteral("検索 (Ctrl+F)"));
    addActionButton(Action::Print, QStringLiteral("printer"), QStringLiteral("プリント (Ctrl+P)"));
    addDivider();
    m_row->addWidget(createMarginGroup());
    addDivider();
    m_vertical = new ToggleSwitch(QStringLiteral("縦書き"), this);
    connect(m_vertical, &ToggleSwitch::clicked, this, &WordRibbon::verticalChosen);
    m_row->addWidget(m_vertical);
    addActionButton(Action::Open, QStringLiteral("folder"), QStringLiteral("開く"));
    auto *save = new CapsuleButton(QStringLiteral("Save"), this);
    m_buttons.insert(Action::Save, save);
    connect(save, &QAbstractButton::clicked, this, [this] { emit triggered(Action::Save); });
    m_row->addWidget(save);
}

void WordRibbon::createPickers(const QStringList &fontFamilies)
{
    m_family = picker(150, this);
    for (const QString &family : fontFamilies)
        m_family->addItem(family, family);
    m_size = picker(60, this);
    for (qreal size : fontSizes())
        m_size->addItem(QString::number(int(size)), size);
    m_style = picker(90, this);
    for (const QString &style : paragraphStyles())
        m_style->addItem(style, style);
    // activated: the user's choice, also of the item already shown.
    connect(m_family, &QComboBox::activated, this,
            [this](int index) { emit fontFamilyChosen(m_family->itemData(index).toString()); });
    connect(m_size, &QComboBox::activated, this,
            [this](int index) { emit fontSizeChosen(m_size->itemData(index).toReal()); });
    connect(m_style, &QComboBox::activated, this,
            [this](int index) { emit paragraphStyleChosen(m_style->itemData(index).toString()); });
    m_row->addWidget(m_family);
    m_row->addWidget(m_size);
    addDivider();
    m_row->addWidget(m_style);
    createWordArtMenu();
}

void WordRibbon::createWordArtMenu()
{
    m_wordArt = new WordArtMenuButton(this);
    auto *menu = new QMenu(m_wordArt);
    for (WordArtStyle style : WordArt::allStyles()) {
        menu->addAction(WordArt::displayName(style), this, [this, style] { emit wordArtChosen(style); });
    }
    m_wordArt->setMenu(menu);
    m_row->addWidget(m_wordArt);
}

QWidget *WordRibbon::createMarginGroup()
{
    auto *group = new QWidget(this);
    auto *layout = new QHBoxLayout(group);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto *symbol = new QLabel(group);
    symbol->setPixmap(SymbolIcon::pixmap(QStringLiteral("arrow.left.and.right.text.vertical"),
                                         QColor(60, 60, 67, 153), 16, devicePixelRatioF()));
    m_margin = new QSlider(Qt::Horizontal, group);
    m_margin->setRange(10, 100);
    m_margin->setFixedWidth(80);
    m_margin->setFocusPolicy(Qt::NoFocus);
    m_marginLabel = new QLabel(group);
    QFont caption = m_marginLabel->font();
    caption.setPixelSize(11);
    m_marginLabel->setFont(caption);
    m_marginLabel->setMinimumWidth(m_marginLabel->fontMetrics().horizontalAdvance(QStringLiteral("余白:100")));
    connect(m_margin, &QSlider::valueChanged, this, [this](int value) {
        m_marginLabel->setText(QStringLiteral("余白:%1").arg(value));
        emit marginChosen(value);
    });
    layout->addWidget(symbol);
    layout->addWidget(m_margin);
    layout->addWidget(m_marginLabel);
    return group;
}

void WordRibbon::addActionButton(Action action, const QString &symbol, const QString &toolTip)
{
    auto *button = new RibbonIconButton(symbol, toolTip, this);
    m_buttons.insert(action, button);
    connect(button, &QAbstractButton::clicked, this, [this, action] { emit triggered(action); });
    m_row->addWidget(button);
}

void WordRibbon::addDivider()
{
    auto *divider = new QFrame(this);
    divider->setFixedSize(1, 20);
    divider->setStyleSheet(QStringLiteral("background: rgba(60, 60, 67, 74);"));
    m_row->addWidget(divider);
}

QAbstractButton *WordRibbon::button(Action action) const
{
    return m_buttons.value(action);
}

void WordRibbon::setSelectedFontFamily(const QString &family)
{
    const QSignalBlocker blocker(m_family);
    const int index = m_family->findData(family);
    // A family the system lacks ("Helvetica" at start) shows as the
    // placeholder of an empty choice.
    m_family->setPlaceholderText(index >= 0 ? QString() : family);
    m_family->setCurrentIndex(index);
}

void WordRibbon::setSelectedFontSize(qreal size)
{
    const QSignalBlocker blocker(m_size);
    m_size->setCurrentIndex(m_size->findData(size));
}

void WordRibbon::setSelectedStyle(const QString &style)
{
    const QSignalBlocker blocker(m_style);
    m_style->setCurrentIndex(m_style->findData(style));
}

void WordRibbon::setTextColor(const QColor &color)
{
    m_textColor->setColor(color);
}

void WordRibbon::setHighlightColor(const QColor &color)
{
    m_highlight->setColor(color);
}

void WordRibbon::setMargin(qreal margin)
{
    const QSignalBlocker blocker(m_margin);
    m_margin->setValue(int(std::lround(margin)));
    m_marginLabel->setText(QStringLiteral("余白:%1").arg(int(std::trunc(margin))));
}

void WordRibbon::setVertical(bool vertical)
{
    const QSignalBlocker blocker(m_vertical);
    m_vertical->setChecked(vertical);
}
