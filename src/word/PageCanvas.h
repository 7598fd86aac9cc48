#pragma once

#include <QWidget>

class QFrame;
class QLineEdit;
class TextPageView;
class WordTextDocument;

// One sheet of paper: a header field, a rule, the text area, a rule and a
// footer field on a white page with rounded corners. The sheet is 800 × 1130
// times the zoom (1130 × 800 in vertical writing). The header and footer
// and their insets do not scale; the margin insets the fields and rules on
// both sides, and the text inside the scaled text area.
class PageCanvas : public QWidget
{
    Q_OBJECT
public:
    static constexpr qreal PageWidth = 800;
    static constexpr qreal PageHeight = 1130;

    PageCanvas(WordTextDocument *document, QWidget *parent = nullptr);

    TextPageView *textView() const { return m_textView; }
    QLineEdit *headerField() const { return m_header; }
    QLineEdit *footerField() const { return m_footer; }

    void setZoom(double zoom);
    void setMargin(qreal margin);
    void setVertical(bool vertical);

    // The page's size for `zoom` and writing direction, in pixels.
    static QSize pageSize(double zoom, bool vertical);

protected:
    void paintEvent(QPaintEvent *event) override;
    // The page around the text (its rules, beside the fields) passes the
    // mouse on to the text, so a click there places the caret.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void passToText(QMouseEvent *event);
    QLineEdit *createField(const QString &placeholder);
    QFrame *createRule();
    void updateInsets();
    int chromeHeight() const;

    QLineEdit *m_header;
    QFrame *m_headerRule;
    TextPageView *m_textView;
    QFrame *m_footerRule;
    QLineEdit *m_footer;
    double m_zoom = 1.0;
    qreal m_margin = 40;
    bool m_vertical = false;
};
