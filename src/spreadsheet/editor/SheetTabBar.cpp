#include "SheetTabBar.h"

#include "platform/widgets/HorizontalScrollArea.h"
#include "SheetTab.h"
#include "platform/widgets/SymbolIcon.h"

#include <QHBoxLayout>
#include <QScrollBar>
#include <QToolButton>

SheetTabBar::SheetTabBar(QWidget *parent)
    : QWidget(parent)
    , m_scrollArea(new HorizontalScrollArea(this))
    , m_tabStrip(new QWidget)
    , m_tabLayout(new QHBoxLayout(m_tabStrip))
    , m_addButton(new QToolButton(this))
{
    m_tabLayout->setContentsMargins(12, 0, 0, 0);
    m_tabLayout->setSpacing(4);
    m_tabLayout->addStretch(1);
    m_tabStrip->setAutoFillBackground(false);
    m_scrollArea->setWidget(m_tabStrip);

    m_addButton->setIcon(SymbolIcon::icon(QStringLiteral("plus"), QColor(0x1D, 0x1D, 0x1F), 12));
    m_addButton->setIconSize(QSize(12, 12));
    m_addButton->setFixedSize(24, 24);
    m_addButton->setFocusPolicy(Qt::NoFocus);
    m_addButton->setStyleSheet(QStringLiteral(
        "QToolButton { border: none; border-radius: 12px; background: rgba(0, 0, 0, 13); }"
        "QToolButton:pressed { background: rgba(0, 0, 0, 38); }"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 6, 12, 6);
    layout->setSpacing(8);
    layout->addWidget(m_scrollArea, 1, Qt::AlignVCenter);
    layout->addWidget(m_addButton, 0, Qt::AlignVCenter);

    connect(m_addButton, &QToolButton::clicked, this, &SheetTabBar::addClicked);
    // A tab added at the end widens the row only once the layout has run.
    connect(m_scrollArea->horizontalScrollBar(), &QScrollBar::rangeChanged, this,
            &SheetTabBar::revealActiveTab);
}

SheetTab *SheetTabBar::tab(int index) const
{
    return index >= 0 && index < m_tabs.size() ? m_tabs[index] : nullptr;
}

SheetTab *SheetTabBar::makeTab(int index)
{
    auto *tab = new SheetTab(m_tabStrip);
    connect(tab, &SheetTab::clicked, this, [this, index] { emit tabClicked(index); });
    connect(tab, &SheetTab::closeClicked, this, [this, index] { emit closeClicked(index); });
    connect(tab, &SheetTab::renameRequested, this, [this, index] { emit renameRequested(index); });
    m_tabLayout->insertWidget(index, tab, 0, Qt::AlignVCenter);
    return tab;
}

void SheetTabBar::setSheets(const QStringList &names, int activeIndex)
{
    while (m_tabs.size() < names.size())
        m_tabs.append(makeTab(int(m_tabs.size())));
    while (m_tabs.size() > names.size()) {
        SheetTab *extra = m_tabs.takeLast();
        extra->hide();
        extra->deleteLater();
    }
    const bool closable = names.size() >= 2;
    for (int i = 0; i < names.size(); ++i)
        m_tabs[i]->setState(names[i], i == activeIndex, closable);
    m_activeIndex = activeIndex;
    m_scrollArea->updateGeometry();
    revealActiveTab();
}

void SheetTabBar::revealActiveTab()
{
    if (SheetTab *active = tab(m_activeIndex))
        m_scrollArea->ensureWidgetVisible(active, 12, 0);
}
