#pragma once

#include <QWidget>

// The spreadsheet screen (placeholder until the screen is built).
class MorvaneExcelView : public QWidget
{
    Q_OBJECT
public:
    explicit MorvaneExcelView(QWidget *parent = nullptr);
};
