#pragma once

#include <QWidget>

class QLabel;
class LongTextLineEdit;

// The "fx" label and the formula field. textEdited fires for every change
// the user makes (committed input-method text only); setText() loads the
// field without emitting and leaves an equal text, and its cursor, alone.
class FormulaBar : public QWidget
{
    Q_OBJECT
public:
    explicit FormulaBar(QWidget *parent = nullptr);

    LongTextLineEdit *field() const { return m_field; }
    QString text() const;
    void setText(const QString &text);

signals:
    void textEdited(const QString &text);

private:
    QLabel *m_label;
    LongTextLineEdit *m_field;
};
