#pragma once

#include "WordArtStyle.h"

#include <QColor>
#include <QHash>
#include <QWidget>

class CapsuleButton;
class QAbstractButton;
class ColorSwatchButton;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QSlider;
class RibbonIconButton;
class ToggleSwitch;
class WordArtMenuButton;

// The row of 22 controls at the top of the word processor: font family,
// size and paragraph style, WordArt, bold, italic, underline, strikethrough,
// alignment, text and highlight colours, picture, lists, find, print, the
// margin, vertical writing, open and save. It edits nothing itself: it
// reports the user's choices, and the screen applies them. No control takes
// the keyboard focus. Loading a value (the set… functions) never reports it;
// choosing the item a picker already shows, or the colour a well holds,
// does.
class WordRibbon : public QWidget
{
    Q_OBJECT
public:
    enum class Action {
        Bold, Italic, Underline, Strikethrough, AlignLeft, AlignCenter, AlignRight,
        InsertImage, BulletList, NumberedList, Find, Print, Open, Save
    };
    Q_ENUM(Action)

    static const QList<qreal> &fontSizes();
    static const QStringList &paragraphStyles();

    explicit WordRibbon(const QStringList &fontFamilies, QWidget *parent = nullptr);

    void setSelectedFontFamily(const QString &family);
    void setSelectedFontSize(qreal size);
    void setSelectedStyle(const QString &style);
    void setTextColor(const QColor &color);
    void setHighlightColor(const QColor &color);
    void setMargin(qreal margin);
    void setVertical(bool vertical);

    QComboBox *fontFamilyPicker() const { return m_family; }
    QComboBox *fontSizePicker() const { return m_size; }
    QComboBox *stylePicker() const { return m_style; }
    WordArtMenuButton *wordArtButton() const { return m_wordArt; }
    ColorSwatchButton *textColorWell() const { return m_textColor; }
    ColorSwatchButton *highlightColorWell() const { return m_highlight; }
    QSlider *marginSlider() const { return m_margin; }
    QLabel *marginLabel() const { return m_marginLabel; }
    ToggleSwitch *verticalSwitch() const { return m_vertical; }
    QAbstractButton *button(Action action) const;

signals:
    void fontFamilyChosen(const QString &family);
    void fontSizeChosen(qreal size);
    void paragraphStyleChosen(const QString &style);
    void wordArtChosen(WordArtStyle style);
    void textColorChosen(const QColor &color);
    void highlightColorChosen(const QColor &color);
    void marginChosen(qreal margin);
    void verticalChosen(bool vertical);
    void triggered(WordRibbon::Action action);

private:
    void createPickers(const QStringList &fontFamilies);
    void createWordArtMenu();
    QWidget *createMarginGroup();
    void addActionButton(Action action, const QString &symbol, const QString &toolTip);
    void addDivider();

    QHBoxLayout *m_row;
    QComboBox *m_family = nullptr;
    QComboBox *m_size = nullptr;
    QComboBox *m_style = nullptr;
    WordArtMenuButton *m_wordArt = nullptr;
    ColorSwatchButton *m_textColor = nullptr;
    ColorSwatchButton *m_highlight = nullptr;
    QSlider *m_margin = nullptr;
    QLabel *m_marginLabel = nullptr;
    ToggleSwitch *m_vertical = nullptr;
    QHash<Action, QAbstractButton *> m_buttons;
};
