#include "Sidebar.h"

#include "AppFonts.h"
#include "platform/widgets/AccentColors.h"
#include "platform/widgets/SymbolIcon.h"
#include "SidebarItemDelegate.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int tabRole = Qt::UserRole;
constexpr int sidebarMinimumWidth = 250;
constexpr int defaultPadding = 16;

struct Link {
    EditorTab tab;
    const char *title;
    const char *symbol;
};

constexpr Link editorLinks[] = {
    {EditorTab::Word, "Morvane Word", "doc.text.fill"},
    {EditorTab::Spreadsheet, "Morvane Excel", "tablecells.fill"},
    {EditorTab::Presentation, "Morvane PowerPoint", "rectangle.inset.fill"},
};

QLabel *footerLabel(const QString &text, int pixelSize, QFont::Weight weight, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(appFont(pixelSize, weight));
    return label;
}

} // namespace

Sidebar::Sidebar(QWidget *parent)
    : QWidget(parent)
{
    setMinimumWidth(sidebarMinimumWidth);
    setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(20);
    layout->addWidget(createHeader());
    m_links = createLinks();
    layout->addWidget(m_links, 1);
    layout->addWidget(createFooter());
    connect(m_links, &QListWidget::itemSelectionChanged, this,
            [this] { emit selectedTabChanged(selectedTab()); });
}

QWidget *Sidebar::createHeader()
{
    auto *header = new QWidget(this);
    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(defaultPadding, 30, defaultPadding, 0);
    layout->setSpacing(8);
    auto *icon = new QLabel(header);
    icon->setPixmap(SymbolIcon::pixmap(QStringLiteral("square.grid.2x2.fill"), AccentColors::blue(),
                                       24, devicePixelRatioF()));
    layout->addWidget(icon);
    auto *title = new QLabel(QStringLiteral("MorvaneOffice"), header);
    title->setFont(appFont(17, QFont::ExtraBold)); // the title-2 text style, heavy
    layout->addWidget(title);
    layout->addStretch();
    return header;
}

QListWidget *Sidebar::createLinks()
{
    auto *list = new QListWidget(this);
    list->setFrameShape(QFrame::NoFrame);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setFont(appFont(13, QFont::Bold)); // the headline text style
    list->setItemDelegate(new SidebarItemDelegate(list));
    // The list lies on the sidebar's own background.
    list->viewport()->setAutoFillBackground(false);
    list->setAutoFillBackground(false);
    list->setAttribute(Qt::WA_MacShowFocusRect, false);
    const QColor selectedIcon(Qt::white);
    for (const Link &link : editorLinks) {
        auto *item = new QListWidgetItem(
            SymbolIcon::rowIcon(QString::fromLatin1(link.symbol), AccentColors::blue(), selectedIcon, 18),
            QString::fromLatin1(link.title), list);
        item->setData(tabRole, int(link.tab));
    }
    return list;
}

QWidget *Sidebar::createFooter()
{
    auto *footer = new QWidget(this);
    auto *layout = new QVBoxLayout(footer);
    layout->setContentsMargins(20, 0, 20, 20);
    layout->setSpacing(4);
    auto *divider = new QFrame(footer);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setForegroundRole(QPalette::Mid);
    layout->addWidget(divider);
    layout->addSpacing(8);
    layout->addWidget(footerLabel(QStringLiteral("MorvaneOffice v1.3"), 13, QFont::Bold, footer));
    auto *edition = footerLabel(QStringLiteral("\"Sorrelind\" Edition"), 11, QFont::Medium, footer);
    QPalette blue = edition->palette();
    blue.setColor(QPalette::WindowText, AccentColors::blue());
    edition->setPalette(blue);
    layout->addWidget(edition);
    auto *rights = footerLabel(QStringLiteral("© 2024 Morvane. All rights reserved."), 9,
                               QFont::Normal, footer);
    rights->setForegroundRole(QPalette::PlaceholderText); // the secondary text colour
    layout->addWidget(rights);
    return footer;
}

EditorTab Sidebar::selectedTab() const
{
    const QList<QListWidgetItem *> selected = m_links->selectedItems();
    return selected.isEmpty() ? EditorTab::None : EditorTab(selected.first()->data(tabRole).toInt());
}

void Sidebar::setSelectedTab(EditorTab tab)
{
    for (int row = 0; row < m_links->count(); ++row) {
        if (m_links->item(row)->data(tabRole).toInt() == int(tab)) {
            m_links->setCurrentRow(row);
            return;
        }
    }
    m_links->clearSelection();
}

// A hairline on the right edge parts the sidebar from the editor.
void Sidebar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QColor line = palette().color(QPalette::WindowText);
    line.setAlpha(38);
    painter.setPen(line);
    painter.drawLine(width() - 1, 0, width() - 1, height());
}
