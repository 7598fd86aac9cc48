#include "MorvaneWordView.h"

#include "platform/UserFolders.h"
#include "platform/widgets/TranslucentPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr QSize PageSize(800, 1130);

} // namespace

MorvaneWordView::MorvaneWordView(QWidget *parent)
    : QWidget(parent)
    , m_folder(UserFolders::desktopOrHome())
{
    auto *toolbar = new TranslucentPanel(TranslucentPanel::Material::TitleBar,
                                         TranslucentPanel::Blending::WithinWindow, this);
    auto *toolbarLayout = new QHBoxLayout(toolbar);
    toolbarLayout->setContentsMargins(16, 10, 16, 10);
    auto *name = new QLabel(m_documentName, toolbar);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    toolbarLayout->addWidget(name);
    toolbarLayout->addStretch();

    auto *desk = new QScrollArea(this);
    desk->setFrameShape(QFrame::NoFrame);
    desk->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    desk->setBackgroundRole(QPalette::Mid);
    desk->setWidget(createPage());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(desk, 1);
}

QWidget *MorvaneWordView::createPage()
{
    auto *margin = new QWidget;
    auto *marginLayout = new QVBoxLayout(margin);
    marginLayout->setContentsMargins(20, 20, 20, 20);
    auto *page = new QLabel(QStringLiteral("Morvane Word"), margin);
    page->setFixedSize(PageSize);
    page->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    page->setContentsMargins(72, 72, 72, 72);
    page->setAutoFillBackground(true);
    page->setBackgroundRole(QPalette::Base);
    page->setForegroundRole(QPalette::Text);
    QFont title = page->font();
    title.setPixelSize(28);
    page->setFont(title);
    marginLayout->addWidget(page);
    return margin;
}
