#include "MorvaneExcelView.h"

#include <QLabel>
#include <QVBoxLayout>

MorvaneExcelView::MorvaneExcelView(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Morvane Excel"), this), 0, Qt::AlignCenter);
}
