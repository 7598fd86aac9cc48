#include "PageCanvas.h"

#include "TextPageView.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int FieldOuterGap = 15; // above the header, below the footer
constexpr int FieldInnerGap = 5;  // between a field and its rule
constexpr qreal CornerRadius = 4;

} // namespace

PageCanvas::PageCanvas(WordTextDocument *document, QWidget *parent)
    : QWidget(parent)
    , m_header(createField(QStringLiteral("ダブルクリックしてヘッダーを編集")))
    , m_headerRule(createRule())
    , m_textView(new TextPageView(document, this))
    , m_footerRule(createRule())
    , m_footer(createField(QStringLiteral("ダブルクリックしてフッターを編集")))
{
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_header);
    layout->addWidget(m_headerRule);
    layout->addWidget(m_textView, 1);
    layout->addWidget(m_footerRule);
    layout->addWidget(m_footer);
    // What the text view leaves stops there: the page passes its own mouse
    // events on to the text, never the text's back to it.
    m_textView->setAttribute(Qt::WA_NoMousePropagation);
    updateInsets();
    setFixedSize(pageSize(m_zoom, m_vertical));
}

QLineEdit *PageCanvas::createField(const QString &placeholder)
{
    auto *field = new QLineEdit(this);
    field->setPlaceholderText(placeholder);
    field->setFrame(false);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(10);
    field->setFont(font);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, QColor(60, 60, 67, 153));
    palette.setColor(QPalette::PlaceholderText, QColor(60, 60, 67, 90));
    field->setPalette(palette);
    field->setAttribute(Qt::WA_MacShowFocusRect, false);
    return field;
}

QFrame *PageCanvas::createRule()
{
    // A placeholder of the rule's height; the page draws the line, inset by
    // the margin.
    auto *rule = new QFrame(this);
    rule->setFrameShape(QFrame::NoFrame);
    rule->setFixedHeight(1);
    return rule;
}

QSize PageCanvas::pageSize(double zoom, bool vertical)
{
    const qreal width = (vertical ? PageHeight : PageWidth) * zoom;
    const qreal height = (vertical ? PageWidth : PageHeight) * zoom;
    return QSize(int(std::lround(width)), int(std::lround(height)));
}

void PageCanvas::setZoom(double zoom)
{
    m_zoom = zoom;
    m_textView->setZoom(zoom);
    setFixedSize(pageSize(m_zoom, m_vertical));
}

void PageCanvas::setMargin(qreal margin)
{
    m_margin = margin;
    m_textView->setMargin(margin);
    updateInsets();
}

void PageCanvas::setVertical(bool vertical)
{
    m_vertical = vertical;
    m_textView->setVertical(vertical);
    setFixedSize(pageSize(m_zoom, m_vertical));
}

int PageCanvas::chromeHeight() const
{
    return m_header->sizeHint().height() + m_footer->sizeHint().height() + 2 * (FieldOuterGap + FieldInnerGap + 1);
}

void PageCanvas::updateInsets()
{
    const int side = int(std::lround(m_margin));
    m_header->setContentsMargins(side, FieldOuterGap, side, FieldInnerGap);
    m_footer->setContentsMargins(side, FieldInnerGap, side, FieldOuterGap);
    m_header->setFixedHeight(m_header->sizeHint().height());
    m_footer->setFixedHeight(m_footer->sizeHint().height());
    // Columns fit the page's design height less the fields, which keep their
    // size at any zoom.
    m_textView->setColumnArea(PageWidth - chromeHeight());
    update();
}

void PageCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath page;
    page.addRoundedRect(QRectF(rect()), CornerRadius, CornerRadius);
    painter.fillPath(page, Qt::white);
    // The rules are inset by the margin on both sides.
    const int side = int(std::lround(m_margin));
    for (QFrame *rule : {m_headerRule, m_footerRule}) {
        const QRect line = rule->geometry().adjusted(side, 0, -side, 0);
        painter.fillRect(line, QColor(128, 128, 128, 77));
    }
}

void PageCanvas::passToText(QMouseEvent *event)
{
    QWidget *viewport = m_textView->viewport();
    if (event->type() == QEvent::MouseButtonPress)
        m_textView->setFocus(Qt::MouseFocusReason);
    QMouseEvent moved(event->type(), viewport->mapFrom(this, event->position()), event->globalPosition(),
                      event->button(), event->buttons(), event->modifiers(), event->pointingDevice());
    QCoreApplication::sendEvent(viewport, &moved);
    event->setAccepted(moved.isAccepted());
}

void PageCanvas::mousePressEvent(QMouseEvent *event)
{
    passToText(event);
}

void PageCanvas::mouseMoveEvent(QMouseEvent *event)
{
    passToText(event);
}

void PageCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    passToText(event);
}

void PageCanvas::mouseDoubleClickEvent(QMouseEvent *event)
{
    passToText(event);
}
