#pragma once

#include "DialogOverlay.h"
#include "TextStyles.h"
#include "TranslucentPanel.h"

#include <QString>

class QLabel;
class QPushButton;
class QVBoxLayout;

// A dialog card: a DialogOverlay whose card has a shape (width, padding,
// row spacing, corners, shadow, backdrop, material), a column of rows and,
// under the rows, an error line. The error line is a red label, hidden while
// empty, that shows why the card's last action failed; it is cleared when the
// card closes. Subclasses add their rows to rows().
class DialogCard : public DialogOverlay
{
    Q_OBJECT
public:
    // A card's measures in pixels. A width of 0 leaves the card as wide as
    // its content. The defaults are the spreadsheet's cards.
    struct Shape
    {
        int width = 0;
        int padding = 24;
        int spacing = 20;
        int cornerRadius = 12;
        int shadowRadius = 15;
        qreal backdropOpacity = 0.4;
        BackdropClick backdropClick = BackdropClick::Close;
        TranslucentPanel::Material material = TranslucentPanel::Material::HudWindow;

        // The spreadsheet's cards: dark HUD, the defaults above.
        static Shape sheet() { return {}; }
        // The word processor's and presentation editor's cards: 450 wide,
        // padding 30, rows 20 apart, radius 20, shadow radius 30, popover.
        static Shape document()
        {
            return {.width = 450, .padding = 30, .spacing = 20, .cornerRadius = 20,
                    .shadowRadius = 30, .material = TranslucentPanel::Material::Popover};
        }
    };

    DialogCard(const Shape &shape, QWidget *parent);

    // The column the card's rows go into, `spacing` apart.
    QVBoxLayout *rows() const { return m_rows; }

    // Shows `message` on the error line; an empty message hides it.
    void showError(const QString &message);
    void clearError() { showError(QString()); }
    QString error() const;
    QLabel *errorLabel() const { return m_errorLabel; }

    // A card's title: a label in `style`, bold if asked, its text centred
    // across the card.
    static QLabel *title(const QString &text, TextStyle style, QWidget *parent, bool bold = false);

    // The cards' flat buttons: grey at opacity 0.2, or blue with white text;
    // 20 × 10 padding, corner radius 10.
    enum class ButtonTone { Grey, Blue };
    static QPushButton *button(const QString &text, ButtonTone tone, QWidget *parent);

private:
    QVBoxLayout *m_rows;
    QLabel *m_errorLabel;
};
