#pragma once

#include "presentation/document/SlideObject.h"

#include <QWidget>

class ColorSwatchButton;
class ObjectSelection;
class PowerPointDocument;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QSlider;

// The "インスペクタ" panel: the current slide's name and background and the
// selected object's text, size, style, colour, entrance animation and order,
// and its delete button. Built once; refresh() loads the document's values
// into the controls in place, with their signals blocked, and leaves a
// control alone when it already shows the value (so focus, caret and an IME
// composition survive the writes that typing causes). Only a user's change
// writes, through the document's operations.
class SlideInspector : public QWidget
{
    Q_OBJECT
public:
    SlideInspector(PowerPointDocument *document, ObjectSelection *selection, QWidget *parent = nullptr);

    void refresh();

    // Removes the object from the current slide and clears the selection.
    void deleteObject(const QUuid &objectId);

    // Controls, for tests and screenshots.
    QLineEdit *slideTitleField() const { return m_slideTitle; }
    ColorSwatchButton *backgroundButton() const { return m_background; }
    QWidget *slideBlock() const { return m_slideBlock; }
    QWidget *objectBlock() const { return m_objectBlock; }
    QLabel *hintLabel() const { return m_hint; }
    QLabel *objectHeader() const { return m_objectHeader; }
    QPlainTextEdit *textEditor() const { return m_text; }
    QSlider *fontSizeSlider() const { return m_fontSize; }
    QLabel *fontSizeLabel() const { return m_fontSizeLabel; }
    QCheckBox *boldBox() const { return m_bold; }
    QCheckBox *italicBox() const { return m_italic; }
    ColorSwatchButton *colorButton() const { return m_color; }
    QComboBox *animationPicker() const { return m_animation; }
    QComboBox *orderPicker() const { return m_order; }
    QPushButton *deleteButton() const { return m_delete; }

    // "%lldpt" of the size truncated toward zero, saturating at the ends of
    // the 64-bit range; "0pt" for NaN.
    static QString fontSizeText(double fontSize);

private:
    QWidget *createSlideBlock();
    QWidget *createObjectBlock();
    QWidget *createTextRows(QWidget *parent);
    void loadSlide();
    void loadObject(const SlideObject &object);
    const SlideObject *selectedObject() const;
    template <typename Edit> void editObject(Edit edit);

    PowerPointDocument *m_document;
    ObjectSelection *m_selection;

    QWidget *m_slideBlock;
    QWidget *m_slideDivider;
    QLineEdit *m_slideTitle;
    ColorSwatchButton *m_background;

    QScrollArea *m_objectScroll;
    QWidget *m_objectBlock;
    QLabel *m_hint;
    QLabel *m_objectHeader;
    QWidget *m_textRows;
    QPlainTextEdit *m_text;
    QSlider *m_fontSize;
    QLabel *m_fontSizeLabel;
    QCheckBox *m_bold;
    QCheckBox *m_italic;
    ColorSwatchButton *m_color;
    QComboBox *m_animation;
    QComboBox *m_order;
    QPushButton *m_delete;
};
