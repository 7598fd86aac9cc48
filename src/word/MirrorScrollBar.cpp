#include "MirrorScrollBar.h"

MirrorScrollBar::MirrorScrollBar(Qt::Orientation orientation, QWidget *parent)
    : QScrollBar(orientation, parent)
{
    // A press scrolls the text; the keys stay with it.
    setFocusPolicy(Qt::NoFocus);
    // Opaque: moving the thumb repaints the bar alone, not the screen
    // behind it.
    setAutoFillBackground(true);
    hide();
    connect(this, &QScrollBar::valueChanged, this, [this](int value) {
        if (m_source)
            m_source->setValue(value);
    });
}

void MirrorScrollBar::setSource(QScrollBar *source)
{
    for (const QMetaObject::Connection &link : std::as_const(m_links))
        disconnect(link);
    m_links.clear();
    m_source = source;
    if (source) {
        m_links << connect(source, &QScrollBar::rangeChanged, this, &MirrorScrollBar::takeRange)
                << connect(source, &QScrollBar::valueChanged, this, &QScrollBar::setValue);
    }
    takeRange();
}

void MirrorScrollBar::takeRange()
{
    if (!m_source) {
        hide();
        return;
    }
    setRange(m_source->minimum(), m_source->maximum());
    setSingleStep(m_source->singleStep());
    setPageStep(m_source->pageStep());
    setValue(m_source->value());
    setVisible(m_source->maximum() > m_source->minimum());
}
