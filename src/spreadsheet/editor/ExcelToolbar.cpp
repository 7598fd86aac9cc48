#include "ExcelToolbar.h"

#include "FormulaBar.h"
#include "platform/widgets/AccentColors.h"
#include "platform/widgets/ColorSwatchButton.h"
#include "platform/widgets/SymbolIcon.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

namespace {

constexpr int symbolSize = 14;
const QColor primaryColor(0x1D, 0x1D, 0x1F);

QFont labelFont(const QWidget *widget)
{
    QFont font = widget->font();
    font.setPixelSize(13);
    return font;
}

} // namespace

ExcelToolbar::ExcelToolbar(QWidget *parent)
    : QWidget(parent)
    , m_layout(new QHBoxLayout(this))
{
    m_layout->setContentsMargins(16, 0, 16, 0);
    m_layout->setSpacing(12);

    m_openButton = addLabelledButton(QStringLiteral("folder.fill"), QStringLiteral("開く"));
    m_saveButton = addLabelledButton(QStringLiteral("square.and.arrow.down.fill"),
                                     QStringLiteral("保存"));
    m_chartButton = addLabelledButton(QStringLiteral("chart.bar.fill"),
                                      QStringLiteral("グラフ作成"));
    addDivider();
    buildCellMenu(addMenuButton(QStringLiteral("tablecells.badge.ellipsis"),
                                QStringLiteral("セル編集"), &m_cellMenuButton));
    m_mergeButton = addLabelledButton(QStringLiteral("rectangle.and.paperclip"),
                                      QStringLiteral("セル結合"));
    m_macroButton = addLabelledButton(QStringLiteral("play.text.fill"),
                                      QStringLiteral("マクロ(VBA)"));
    addDivider();
    m_boldButton = addToggle(QStringLiteral("bold"));
    m_italicButton = addToggle(QStringLiteral("italic"));
    addColorGroups();
    addDivider();
    buildShapeMenu(addMenuButton(QStringLiteral("plus.square.on.square"),
                                 QStringLiteral("図形挿入"), &m_shapeMenuButton));
    addDivider();
    m_formulaBar = new FormulaBar(this);
    m_layout->addWidget(m_formulaBar, 1);

    connect(m_openButton, &QToolButton::clicked, this, &ExcelToolbar::openRequested);
    connect(m_saveButton, &QToolButton::clicked, this, &ExcelToolbar::saveRequested);
    connect(m_chartButton, &QToolButton::clicked, this, &ExcelToolbar::chartRequested);
    connect(m_mergeButton, &QToolButton::clicked, this, &ExcelToolbar::mergeRequested);
    connect(m_macroButton, &QToolButton::clicked, this, &ExcelToolbar::macroRequested);
    connect(m_boldButton, &QToolButton::clicked, this, &ExcelToolbar::boldToggled);
    connect(m_italicButton, &QToolButton::clicked, this, &ExcelToolbar::italicToggled);
    connect(m_formulaBar, &FormulaBar::textEdited, this, &ExcelToolbar::formulaEdited);
}

QToolButton *ExcelToolbar::addLabelledButton(const QString &symbol, const QString &text)
{
    auto *button = new QToolButton(this);
    button->setText(text);
    button->setIcon(SymbolIcon::icon(symbol, primaryColor, symbolSize));
    button->setIconSize(QSize(symbolSize, symbolSize));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setFont(labelFont(this));
    m_layout->addWidget(button);
    return button;
}

QToolButton *ExcelToolbar::addToggle(const QString &symbol)
{
    auto *button = new QToolButton(this);
    button->setCheckable(true);
    button->setIcon(SymbolIcon::icon(symbol, primaryColor, symbolSize, AccentColors::blue()));
    button->setIconSize(QSize(symbolSize, symbolSize));
    // The checked state only mirrors the selected cell's style; the owner
    // sets it after every action, so a click alone never leaves it changed.
    button->setStyleSheet(QStringLiteral(
        "QToolButton { border: none; padding: 4px; border-radius: 6px; background: transparent; }"
        "QToolButton:checked { background: rgba(0, 0, 0, 38); }"));
    m_layout->addWidget(button);
    return button;
}

QMenu *ExcelToolbar::addMenuButton(const QString &symbol, const QString &text,
                                   QToolButton **button)
{
    *button = addLabelledButton(symbol, text);
    auto *menu = new QMenu(*button);
    (*button)->setMenu(menu);
    (*button)->setPopupMode(QToolButton::InstantPopup);
    return menu;
}

void ExcelToolbar::addDivider()
{
    auto *divider = new QFrame(this);
    divider->setFixedSize(1, 20);
    divider->setAutoFillBackground(true);
    QPalette palette = divider->palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 0, 26));
    divider->setPalette(palette);
    m_layout->addWidget(divider);
}

void ExcelToolbar::addColorGroups()
{
    auto group = [this](const QString &caption) {
        auto *row = new QHBoxLayout;
        row->setSpacing(4);
        auto *label = new QLabel(caption, this);
        label->setFont(labelFont(this));
        row->addWidget(label);
        m_layout->addLayout(row);
        return row;
    };
    QHBoxLayout *textGroup = group(QStringLiteral("文字:"));
    m_textColorButton = new ColorSwatchButton(this);
    textGroup->addWidget(m_textColorButton);

    QHBoxLayout *fillGroup = group(QStringLiteral("背景:"));
    m_backgroundColorButton = new ColorSwatchButton(this);
    m_backgroundColorButton->setColor(Qt::transparent);
    fillGroup->addWidget(m_backgroundColorButton);
    m_clearBackgroundButton = new QToolButton(this);
    m_clearBackgroundButton->setIcon(
        SymbolIcon::icon(QStringLiteral("xmark.circle"), primaryColor, 11));
    m_clearBackgroundButton->setIconSize(QSize(11, 11));
    m_clearBackgroundButton->setAutoRaise(true);
    fillGroup->addWidget(m_clearBackgroundButton);

    connect(m_textColorButton, &ColorSwatchButton::colorPicked, this,
            &ExcelToolbar::textColorPicked);
    connect(m_backgroundColorButton, &ColorSwatchButton::colorPicked, this,
            &ExcelToolbar::backgroundColorPicked);
    connect(m_clearBackgroundButton, &QToolButton::clicked, this,
            &ExcelToolbar::backgroundCleared);
}

void ExcelToolbar::buildCellMenu(QMenu *menu)
{
    auto item = [this, menu](const QString &text, auto signal, GridLineOperation operation) {
        connect(menu->addAction(text), &QAction::triggered, this,
                [this, signal, operation] { emit(this->*signal)(operation); });
    };
    item(QStringLiteral("行を挿入"), &ExcelToolbar::rowOperationRequested, GridLineOperation::Insert);
    item(QStringLiteral("行を削除"), &ExcelToolbar::rowOperationRequested, GridLineOperation::Delete);
    item(QStringLiteral("列を挿入"), &ExcelToolbar::columnOperationRequested,
         GridLineOperation::Insert);
    item(QStringLiteral("列を削除"), &ExcelToolbar::columnOperationRequested,
         GridLineOperation::Delete);
}

void ExcelToolbar::buildShapeMenu(QMenu *menu)
{
    for (ExcelObjectType type : allExcelObjectTypes) {
        connect(menu->addAction(excelObjectTypeText(type)), &QAction::triggered, this,
                [this, type] { emit objectInsertRequested(type); });
    }
}

void ExcelToolbar::setBoldActive(bool active)
{
    m_boldButton->setChecked(active);
}

void ExcelToolbar::setItalicActive(bool active)
{
    m_italicButton->setChecked(active);
}

void ExcelToolbar::setTextColor(const QColor &color)
{
    m_textColorButton->setColor(color);
}

void ExcelToolbar::setBackgroundColor(const QColor &color)
{
    m_backgroundColorButton->setColor(color);
}
