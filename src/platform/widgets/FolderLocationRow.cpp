#include "FolderLocationRow.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int pathMaxWidth = 250;
constexpr int pathPadding = 4;
}

FolderLocationRow::FolderLocationRow(QWidget *parent)
    : QWidget(parent)
    , m_pathLabel(new QLabel(this))
    , m_changeButton(new QPushButton(QStringLiteral("変更..."), this))
{
    m_pathLabel->setMaximumWidth(pathMaxWidth);
    m_pathLabel->setStyleSheet(QStringLiteral(
        "QLabel { padding: 4px; border-radius: 5px; background: rgba(128, 128, 128, 26); }"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("場所:"), this));
    layout->addWidget(m_pathLabel);
    layout->addWidget(m_changeButton);
    connect(m_changeButton, &QPushButton::clicked, this, &FolderLocationRow::changeRequested);
}

void FolderLocationRow::setPath(const QString &path)
{
    m_path = path;
    const QString shown = QDir::toNativeSeparators(path);
    m_pathLabel->setText(m_pathLabel->fontMetrics().elidedText(
        shown, Qt::ElideMiddle, pathMaxWidth - 2 * pathPadding));
    m_pathLabel->setToolTip(shown);
}
