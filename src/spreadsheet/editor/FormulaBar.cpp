#include "FormulaBar.h"

#include "LongTextLineEdit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

FormulaBar::FormulaBar(QWidget *parent)
    : QWidget(parent)
    , m_label(new QLabel(QStringLiteral("fx"), this))
    , m_field(new LongTextLineEdit(this))
{
    QFont labelFont = m_label->font();
    labelFont.setPixelSize(13);
    labelFont.setBold(true);
    m_label->setFont(labelFont);
    QPalette labelPalette = m_label->palette();
    labelPalette.setColor(QPalette::WindowText, QColor(0, 0, 0, 128));
    m_label->setPalette(labelPalette);

    m_field->setPlaceholderText(QStringLiteral("数式または文字列を入力"));
    m_field->setMinimumWidth(200);
    m_field->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(m_label);
    layout->addWidget(m_field, 1);

    connect(m_field, &QLineEdit::textEdited, this, [this] { emit textEdited(m_field->fullText()); });
}

QString FormulaBar::text() const
{
    return m_field->fullText();
}

void FormulaBar::setText(const QString &text)
{
    if (m_field->holds(text))
        return;
    const QSignalBlocker blocker(m_field);
    m_field->setFullText(text);
}
